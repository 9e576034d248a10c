// The identifiers of the module's own classes and interfaces, as the host registers them.
#pragma once

#include "xtra/boundary/abi.h"

extern const Guid CLSID_RegistrationClass;
extern const Guid CLSID_CameraClass;
extern const Guid IID_RegistrationInterface;
extern const Guid IID_CameraInterface;
