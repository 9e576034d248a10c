// The camera class's create and destroy operations, which the host runs on each instance
// record: they obtain and give back the host links, and store the camera's defaults.
#pragma once

#include "xtra/boundary/host_interfaces.h"

Status XTRA_CALL createCamera(InstanceRecord* instance);
void XTRA_CALL destroyCamera(InstanceRecord* instance);
