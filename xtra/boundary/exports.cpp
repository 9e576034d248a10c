#include "xtra/boundary/exports.h"

#include "xtra/boundary/interface_object.h"

namespace {

struct ClassForm {
    int32_t* instanceSize;
    CreateOperation* create;
    DestroyOperation* destroy;
    bool found;
};

int32_t writeClassForm(const Guid&, uint32_t, int32_t instanceSize, CreateOperation create,
                       DestroyOperation destroy, void* context) {
    auto* form = static_cast<ClassForm*>(context);
    *form->instanceSize = instanceSize;
    *form->create = create;
    *form->destroy = destroy;
    form->found = true;
    return 1;
}

struct InterfaceSearch {
    const Guid* interfaceId;
    InterfaceCreator creator;
};

int32_t matchInterface(const Guid&, uint32_t, const Guid& interfaceId, uint32_t,
                       InterfaceCreator creator, void* context) {
    auto* search = static_cast<InterfaceSearch*>(context);
    if (!sameGuid(interfaceId, *search->interfaceId)) {
        return 0;
    }
    search->creator = creator;
    return 1;
}

// Counts records, and writes them when a buffer is set.
struct RecordWriter {
    int32_t count;
    ClassInfoRecord* next;
};

int32_t writeClassRecord(const Guid& classId, uint32_t classVersion, int32_t, CreateOperation,
                         DestroyOperation, void* context) {
    auto* writer = static_cast<RecordWriter*>(context);
    writer->count += 1;
    if (writer->next != nullptr) {
        *writer->next = ClassInfoRecord{classId, classVersion, IID_ClassFactory, 1};
        writer->next += 1;
    }
    return 0;
}

int32_t writeInterfaceRecord(const Guid& classId, uint32_t classVersion, const Guid& interfaceId,
                             uint32_t interfaceVersion, InterfaceCreator, void* context) {
    auto* writer = static_cast<RecordWriter*>(context);
    writer->count += 1;
    if (writer->next != nullptr) {
        *writer->next = ClassInfoRecord{classId, classVersion, interfaceId, interfaceVersion};
        writer->next += 1;
    }
    return 0;
}

}  // namespace

Status getClassObject() {
    return StatusNotImplemented;
}

Status canUnloadNow() {
    return liveInterfaceCount == 0 ? StatusOk : StatusInUse;
}

Status getClassForm(const ClassTable& table, const Guid* classId, int32_t* instanceSize,
                    CreateOperation* create, DestroyOperation* destroy) {
    // Decided by the found mark, not by the walk's answer.
    ClassForm form{instanceSize, create, destroy, false};
    enumerateClasses(table, classId, writeClassForm, nullptr, &form);
    return form.found ? StatusOk : StatusNotImplemented;
}

Status getInterface(const ClassTable& table, InstanceRecord* instance, const Guid* classId,
                    const Guid* interfaceId, void** out) {
    InterfaceSearch search{interfaceId, nullptr};
    enumerateClasses(table, classId, nullptr, matchInterface, &search);
    if (search.creator == nullptr) {
        return StatusNotAvailable;
    }
    return search.creator(instance, out);
}

Status getClassInfo(const ClassTable& table, Allocator* allocator, ClassInfoRecord** out) {
    RecordWriter counter{0, nullptr};
    enumerateClasses(table, nullptr, writeClassRecord, writeInterfaceRecord, &counter);

    const uint32_t size = static_cast<uint32_t>(counter.count + 1) * sizeof(ClassInfoRecord);
    auto* records = static_cast<ClassInfoRecord*>(allocator->ops->Allocate(allocator, size));
    *out = records;
    if (records == nullptr) {
        return StatusOutOfMemory;
    }
    RecordWriter writer{0, records};
    enumerateClasses(table, nullptr, writeClassRecord, writeInterfaceRecord, &writer);
    // The terminator: zero identifiers; its two 32-bit fields carry no meaning.
    *writer.next = ClassInfoRecord{};
    return StatusOk;
}
