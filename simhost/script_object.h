// A module's object as the host makes, calls and gives back one: the instance record with its
// class's create operation run, the interface DllGetInterface hands out for it, and "new",
// which a script's creation of a camera sends. The tests, the benchmarks, the fuzzer and the
// demo all get their objects this way.
#pragma once

#include "simhost/sim_host.h"

// The objects a module hands out are opaque to the host, which only calls through their
// tables. They carry the plug-in's own name for them so that, with the plug-in linked in, a call
// through the host's view has the type of the function it reaches (which clang's sanitizer
// checks).
struct InterfaceObject;

namespace sim {

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

// Makes an instance of `classId` (Host::createInstance) and asks the module for its
// `interfaceId`. Answers DllGetInterface's status, which leaves `*object` as that export left
// it, or StatusRefused, with no instance, when the module has no form for the class. An
// instance that was made stays in `*instance` whatever the answer, for destroyObject.
Status createObject(Host& host, const ModuleExports& module, const Guid& classId,
                    const Guid& interfaceId, Instance* instance, void** object);

// Sends "new", method 0, through the script object's Call, with "me" as the only element, as
// the host does once a script has created the object. Answers Call's status. `result`, when
// given, is the call record's result slot both ways: the record starts with it and it receives
// what Call left there; otherwise whatever Call left is given back to the host.
Status sendNew(Host& host, void* object, HostValue* result = nullptr);

// Gives back the host's reference on `object` (when there is one), then destroys the instance
// (Host::destroyInstance, whose answer this is).
bool destroyObject(Host& host, Instance& instance, void* object);

}  // namespace sim
