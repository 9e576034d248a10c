#include "simhost/script_object.h"

// The objects a module hands out are opaque to the host, which only calls through their
// tables. They carry the plug-in's own name for them so that, with the plug-in linked in, a call
// through the host's view has the type of the function it reaches (which clang's sanitizer
// checks).
struct InterfaceObject;

namespace sim {

namespace {

// The host's view of those tables: each begins with QueryInterface, AddRef and Release; slot 3
// is Call on a script object and Register on a registration object. Only the slots a host
// calls are declared.
struct ScriptObjectOps {
    Status(XTRA_CALL* QueryInterface)(InterfaceObject* self, const Guid* iid, void** out);
    uint32_t(XTRA_CALL* AddRef)(InterfaceObject* self);
    uint32_t(XTRA_CALL* Release)(InterfaceObject* self);
    Status(XTRA_CALL* Call)(InterfaceObject* self, CallRecord* call);
};
struct RegistrationObjectOps {
    Status(XTRA_CALL* QueryInterface)(InterfaceObject* self, const Guid* iid, void** out);
    uint32_t(XTRA_CALL* AddRef)(InterfaceObject* self);
    uint32_t(XTRA_CALL* Release)(InterfaceObject* self);
    Status(XTRA_CALL* Register)(InterfaceObject* self, RegistrationCache* cache, int32_t context);
};

// The table of an object the module handed out: the object's first word points at it.
template <typename Ops>
const Ops& opsOf(void* object) {
    return **static_cast<const Ops* const*>(object);
}

}  // namespace

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
    CallRecord record{};
    record.methodNumber = 0;
    record.result = result != nullptr ? *result : HostValue{};
    record.arguments = &me;
    const Status status = callObject(object, &record);
    host.release(me);
    if (result != nullptr) {
        *result = record.result;
    } else {
        host.release(record.result);
    }
    return status;
}

bool destroyObject(Host& host, Instance& instance, void* object) {
    if (object != nullptr) {
        // Release is slot 2 of every table, whatever the object's kind.
        opsOf<ScriptObjectOps>(object).Release(static_cast<InterfaceObject*>(object));
    }
    return host.destroyInstance(instance);
}

Status callObject(void* object, CallRecord* record) {
    return opsOf<ScriptObjectOps>(object).Call(static_cast<InterfaceObject*>(object), record);
}

Status registerObject(void* object, RegistrationCache* cache, int32_t context) {
    return opsOf<RegistrationObjectOps>(object).Register(static_cast<InterfaceObject*>(object),
                                                         cache, context);
}

}  // namespace sim
