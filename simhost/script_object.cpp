#include "simhost/script_object.h"

#include <cstring>

// The objects a module hands out are opaque to the host, which only calls through their
// tables. They carry the plug-in's own name for them so that, with the plug-in linked in, a call
// through the host's view has the type of the function it reaches (which clang's sanitizer
// checks).
struct InterfaceObject;

// The host's call record is its own type, not the module's, so clang's check that a call through
// a pointer reaches a function of that very type is off for the two calls that pass it.
#if defined(__clang__)
#define SIM_CALLS_ACROSS_TYPES __attribute__((no_sanitize("function")))
#else
#define SIM_CALLS_ACROSS_TYPES
#endif

namespace sim {

namespace {

template <typename Operation>
Operation operationAt(void* object, size_t slot) {
    return reinterpret_cast<Operation>(slotOf(object, slot));
}

using CallOperation = Status(XTRA_CALL*)(InterfaceObject* self, CallBlock* call);

}  // namespace

void* slotOf(void* object, size_t slot) {
    void* const* table = nullptr;
    std::memcpy(&table, object, sizeof table);
    return table[slot];
}

void* classWord(const Instance& instance, size_t word) {
    void* value = nullptr;
    std::memcpy(&value,
                reinterpret_cast<const char*>(instance.record) +
                    (InstanceHeaderWords + word) * sizeof(void*),
                sizeof value);
    return value;
}

Status createObject(Host& host, const ModuleExports& module, const Guid& classId,
                    const Guid& interfaceId, Instance* instance, void** object) {
    *instance = host.createInstance(module, classId);
    if (instance->record == nullptr) {
        return StatusRefused;
    }
    return module.DllGetInterface(instance->record, &classId, &interfaceId, object);
}

Status sendNew(Host& host, void* object, HostValue* result) {
    HostValue me = host.makeSymbol("me");
    CallBlock call;
    call.methodNumber = 0;
    call.result = result != nullptr ? *result : HostValue{};
    call.arguments = &me;
    const Status status = callObject(object, &call);
    host.release(me);
    if (result != nullptr) {
        *result = call.result;
    } else {
        host.release(call.result);
    }
    return status;
}

bool destroyObject(Host& host, Instance& instance, void* object) {
    if (object != nullptr) {
        releaseObject(object);
    }
    return host.destroyInstance(instance);
}

Status queryObject(void* object, const Guid& iid, void** out) {
    using Query = Status(XTRA_CALL*)(InterfaceObject*, const Guid*, void**);
    return operationAt<Query>(object, QueryInterfaceSlot)(static_cast<InterfaceObject*>(object),
                                                          &iid, out);
}

uint32_t addRefObject(void* object) {
    using AddRef = uint32_t(XTRA_CALL*)(InterfaceObject*);
    return operationAt<AddRef>(object, AddRefSlot)(static_cast<InterfaceObject*>(object));
}

uint32_t releaseObject(void* object) {
    using Release = uint32_t(XTRA_CALL*)(InterfaceObject*);
    return operationAt<Release>(object, ReleaseSlot)(static_cast<InterfaceObject*>(object));
}

SIM_CALLS_ACROSS_TYPES Status callObject(void* object, CallBlock* call) {
    return callSlot(object, CallSlot, call);
}

SIM_CALLS_ACROSS_TYPES Status callSlot(void* object, size_t slot, CallBlock* call) {
    return operationAt<CallOperation>(object, slot)(static_cast<InterfaceObject*>(object), call);
}

Status registerObject(void* object, RegistrationCache* cache, int32_t context) {
    using Register = Status(XTRA_CALL*)(InterfaceObject*, RegistrationCache*, int32_t);
    return operationAt<Register>(object, RegisterSlot)(static_cast<InterfaceObject*>(object), cache,
                                                       context);
}

}  // namespace sim
