#include "xtra/boundary/exports.h"

#include "xtra/boundary/interface_object.h"

Status getClassObject() {
    return StatusNotImplemented;
}

Status canUnloadNow() {
    return liveInterfaceCount == 0 ? StatusOk : StatusInUse;
}

Status getClassForm(const ClassTable& table, const Guid* classId, int32_t* instanceSize,
                    CreateOperation* create, DestroyOperation* destroy) {
    for (const ClassEntry& entry : table) {
        if (isSelectedBy(entry, classId)) {
            *instanceSize = entry.instanceSize;
            *create = entry.create;
            *destroy = entry.destroy;
            return StatusOk;
        }
    }
    return StatusNotImplemented;
}

Status getInterface(const ClassTable& table, InstanceRecord* instance, const Guid* classId,
                    const Guid* interfaceId, void** out) {
    for (const ClassEntry& entry : table) {
        if (isSelectedBy(entry, classId) && sameGuid(*entry.interfaceId, *interfaceId)) {
            return entry.creator(instance, out);
        }
    }
    return StatusNotAvailable;
}

Status getClassInfo(const ClassTable& table, Allocator* allocator, ClassInfoRecord** out) {
    // A class record and an interface record per class, then the terminator.
    const uint32_t size = static_cast<uint32_t>(2 * table.count + 1) * sizeof(ClassInfoRecord);
    auto* records = static_cast<ClassInfoRecord*>(allocator->ops->Allocate(allocator, size));
    *out = records;
    if (records == nullptr) {
        return StatusOutOfMemory;
    }
    ClassInfoRecord* next = records;
    for (const ClassEntry& entry : table) {
        *next++ = ClassInfoRecord{*entry.classId, ClassVersion, IID_ClassFactory, 1};
        *next++ =
            ClassInfoRecord{*entry.classId, ClassVersion, *entry.interfaceId, InterfaceVersion};
    }
    // The terminator: zero identifiers; its two 32-bit fields carry no meaning.
    *next = ClassInfoRecord{};
    return StatusOk;
}
