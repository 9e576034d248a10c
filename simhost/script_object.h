// A module's object as the host makes, calls and gives back one: the instance record with its
// class's create operation run, the interface DllGetInterface hands out for it, and "new",
// which a script's creation of a camera sends. The tests, the benchmarks, the fuzzer and the
// demo all get their objects this way, and reach them only through the host's slot numbers
// (host_numbers.h).
#pragma once

#include <cstddef>

#include "simhost/sim_host.h"

namespace sim {

// The record the host hands to Call, laid out by the host: the method number at byte 8, the
// result value at byte 12, the argument array's address at byte 24. The other words are the
// host's own; they start as a pattern, so a module that takes one of them for a field of its own
// reads nonsense.
struct CallBlock {
    uint32_t hostWord0 = 0xC411B10Cu;
    uint32_t hostWord1 = 0xC411B10Cu;
    int32_t methodNumber = 0;
    HostValue result{};
    uint32_t hostWord5 = 0xC411B10Cu;
    HostValue* arguments = nullptr;
};
static_assert(offsetof(CallBlock, methodNumber) == 8, "the method number at byte 8");
static_assert(offsetof(CallBlock, result) == 12, "the result at byte 12");
static_assert(offsetof(CallBlock, arguments) == 24, "the argument array at byte 24");

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

// The operations of an object the module handed out, each through its slot.
Status queryObject(void* object, const Guid& iid, void** out);
uint32_t addRefObject(void* object);
uint32_t releaseObject(void* object);
// Call on a script object; callSlot enters the camera's method `slot` (methodSlot) directly, as
// a host may, with the same record.
Status callObject(void* object, CallBlock* call);
Status callSlot(void* object, size_t slot, CallBlock* call);
Status registerObject(void* object, RegistrationCache* cache, int32_t context);

// Slot `slot` of the table an object's first word points at, as a host reads it.
void* slotOf(void* object, size_t slot);

// The word `word` of an instance's own fields, counted from the end of the host's header: a
// camera's host links are words 0, 1 and 2.
void* classWord(const Instance& instance, size_t word);

}  // namespace sim
