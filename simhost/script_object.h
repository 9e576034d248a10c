// A module's object as the host makes, calls and gives back one: the instance record with its
// class's create operation run, the interface DllGetInterface hands out for it, and "new",
// which a script's creation of a camera sends. The tests, the benchmarks, the fuzzer and the
// demo all get their objects this way.
#pragma once

#include "simhost/sim_host.h"

namespace sim {

// Makes an instance of `classId` (Host::createInstance) and asks the module for its
// `interfaceId`. Answers DllGetInterface's status, which leaves `*object` as that export left
// it, or StatusRefused, with no instance, when the host could make none (Host::createInstance).
// An instance that was made stays in `*instance` whatever the answer, for destroyObject.
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

// Call, slot 3 of a script object, and Register, slot 3 of a registration object: the host's
// two ways into an object the module handed out.
Status callObject(void* object, CallRecord* record);
Status registerObject(void* object, RegistrationCache* cache, int32_t context);

}  // namespace sim
