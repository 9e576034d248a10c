// The registration class's interface: Register checks the host and stores the module's
// two registration entries.
#pragma once

#include "xtra/boundary/interface_object.h"

struct RegistrationInterfaceOps {
    Status(XTRA_CALL* QueryInterface)(InterfaceObject* self, const Guid* iid, void** out);
    uint32_t(XTRA_CALL* AddRef)(InterfaceObject* self);
    uint32_t(XTRA_CALL* Release)(InterfaceObject* self);
    Status(XTRA_CALL* Register)(InterfaceObject* self, RegistrationCache* cache, int32_t context);
};

extern const RegistrationInterfaceOps registrationInterfaceOps;

Status XTRA_CALL registerModule(InterfaceObject* self, RegistrationCache* cache, int32_t context);

// The registration class: its instance record is the host's header alone, and its create and
// destroy operations have nothing to do.
Status XTRA_CALL createRegistration(InstanceRecord* instance);
void XTRA_CALL destroyRegistration(InstanceRecord* instance);
Status XTRA_CALL CreateRegistrationInterface(InstanceRecord* instance, void** out);
