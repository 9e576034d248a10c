// Identifiers of the module's own classes and interfaces.
#pragma once

#include "xtra/boundary/abi.h"

extern const Guid CLSID_RegistrationClass;
extern const Guid CLSID_CameraClass;
extern const Guid IID_RegistrationInterface;
extern const Guid IID_CameraInterface;
// The host's load-control dictionary, under which "XtraLoadControlOptions" is stored.
extern const Guid IID_LoadControl;
// COM's class-factory interface, named in every class record.
extern const Guid IID_ClassFactory;
