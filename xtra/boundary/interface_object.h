// The interface objects handed to the host, their reference counts and the module-wide
// count of live objects that decides whether the module may be unloaded.
#pragma once

#include "xtra/boundary/host_interfaces.h"

// One record per interface handed out. Both kinds share these fields; only the table differs.
struct InterfaceObject {
    const void* ops;
    InstanceRecord* instance;
    int32_t refCount;  // references held by the host; 1 at creation
};

// Plain integer: the host calls the module from one thread at a time.
extern int32_t liveInterfaceCount;

// The three operations every interface object starts its table with.
Status XTRA_CALL interfaceQueryInterface(InterfaceObject* self, const Guid* iid, void** out);
uint32_t XTRA_CALL interfaceAddRef(InterfaceObject* self);
uint32_t XTRA_CALL interfaceRelease(InterfaceObject* self);

// Makes an interface object for an instance record with the given table, allocated from the
// instance's Allocator (retried while the runtime's new-handler can free memory). On failure the
// out pointer is null and StatusOutOfMemory is returned, with nothing else changed.
Status createInterfaceObject(InstanceRecord* instance, const void* ops, void** out);
