#include "simhost/script_object.h"

namespace sim {

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
    const Status status =
        opsOf<ScriptObjectOps>(object).Call(static_cast<InterfaceObject*>(object), &record);
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

}  // namespace sim
