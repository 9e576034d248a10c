// The camera class's instance record as the host allocates it: the host's 24-byte header, the
// camera's three host links, then the camera's own fields.
#pragma once

#include <cstddef>

#include "xtra/boundary/host_interfaces.h"
#include "xtra/boundary/interface_object.h"
#include "xtra/camera/camera_state.h"
#include "xtra/script_call/host_links.h"

struct CameraInstance {
    InstanceRecord header;
    HostLinks links;
    CameraState camera;
};

#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(CameraInstance) == 360, "the camera class's instance size is 360 bytes");
static_assert(offsetof(CameraInstance, links) == 24, "the camera's fields start at byte 24");
static_assert(offsetof(CameraInstance, camera) == 40, "the position follows the links at byte 40");
#endif

// The one place the host's record is taken for the camera's.
inline CameraInstance& cameraInstanceOf(InstanceRecord* record) {
    return *reinterpret_cast<CameraInstance*>(record);
}
inline const CameraInstance& cameraInstanceOf(const InstanceRecord* record) {
    return *reinterpret_cast<const CameraInstance*>(record);
}
inline CameraInstance& cameraInstanceOf(InterfaceObject* self) {
    return cameraInstanceOf(self->instance);
}
