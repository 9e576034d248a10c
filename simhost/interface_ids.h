// The identifiers a Director host knows: its own service interfaces, and the module's classes
// and interfaces as the host registers them. Written out here, not taken from the module.
#pragma once

#include "xtra/boundary/abi.h"

namespace sim {

extern const Guid ValueServicesId;
extern const Guid ListServicesId;
extern const Guid AuxServicesId;
extern const Guid PresentationServicesId;
extern const Guid HostInfoId;
// The dictionary interface under which a module stores its load-control options.
extern const Guid LoadControlId;

extern const Guid RegistrationClassId;
extern const Guid CameraClassId;
extern const Guid RegistrationInterfaceId;
extern const Guid CameraInterfaceId;

// Identifiers compared as the host compares them: 16 raw bytes.
bool sameId(const Guid& a, const Guid& b);

}  // namespace sim
