// What the module offers the host: its class table, and the registration class's interface,
// whose Register stores the camera class's entries.
#pragma once

#include "xtra/boundary/class_table.h"
#include "xtra/boundary/registration.h"

// The registration class, then the camera class. The order is visible to the host through
// enumeration.
extern const ClassTable moduleClassTable;

extern const RegistrationInterfaceOps registrationInterfaceOps;

// Makes a registration interface object for an instance record (see createInterfaceObject).
Status XTRA_CALL createRegistrationInterface(InstanceRecord* instance, void** out);
