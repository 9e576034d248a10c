// Registration with the host: Register checks that the host is "Director" in a recent enough
// version and stores a class's two registration entries. The class and its message table are
// handed in; the registration class's instance record is the host's header alone.
#pragma once

#include "xtra/boundary/interface_object.h"

struct RegistrationInterfaceOps {
    Status(XTRA_CALL* QueryInterface)(InterfaceObject* self, const Guid* iid, void** out);
    uint32_t(XTRA_CALL* AddRef)(InterfaceObject* self);
    uint32_t(XTRA_CALL* Release)(InterfaceObject* self);
    Status(XTRA_CALL* Register)(InterfaceObject* self, RegistrationCache* cache, int32_t context);
};

// What a class registers: "XtraLoadControlOptions" in the dictionary of (classId, the host's
// load-control interface), and its message table as "msgTable" in the dictionary of
// (classId, interfaceId).
struct ClassRegistration {
    const Guid* classId;
    const Guid* interfaceId;
    const char* messageTable;
};

// Register's steps for one class, on the HostServices of the registration instance. The host's
// dictionaries are lent: none is released or kept.
Status registerClass(InterfaceObject* self, RegistrationCache* cache, int32_t context,
                     const ClassRegistration& registration);

// The registration class's create and destroy operations: nothing to do.
Status XTRA_CALL createRegistration(InstanceRecord* instance);
void XTRA_CALL destroyRegistration(InstanceRecord* instance);
