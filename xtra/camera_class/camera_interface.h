// The camera interface's operation table and its dispatcher.
#pragma once

#include "xtra/boundary/interface_object.h"
#include "xtra/camera_class/camera_instance.h"
#include "xtra/camera_class/script_methods.h"

// How the host enters a method, through Call or straight through its slot.
using MethodHandler = Status(XTRA_CALL*)(InterfaceObject* self, CallRecord* call);

// How the host enters a method, through Call or straight through its slot. Every method needs
// the camera's value link: without it nothing can be read or answered, so the method does not
// run, the result and the camera stay untouched, and the host gets StatusNotAvailable. This is
// the one place that rule is checked.
template <CameraMethod Method>
Status XTRA_CALL cameraEntry(InterfaceObject* self, CallRecord* call) {
    CameraInstance& instance = cameraInstanceOf(self);
    ScriptCall script(instance.links, call);
    if (!script.canRun()) {
        return StatusNotAvailable;
    }
    return Method(instance.camera, script);
}

template <GlobalHandler Handler>
Status XTRA_CALL globalEntry(InterfaceObject* self, CallRecord* call) {
    ScriptCall script(cameraInstanceOf(self).links, call);
    if (!script.canRun()) {
        return StatusNotAvailable;
    }
    return Handler(script);
}

struct CameraInterfaceOps {
    Status(XTRA_CALL* QueryInterface)(InterfaceObject* self, const Guid* iid, void** out);
    uint32_t(XTRA_CALL* AddRef)(InterfaceObject* self);
    uint32_t(XTRA_CALL* Release)(InterfaceObject* self);
    Status(XTRA_CALL* Call)(InterfaceObject* self, CallRecord* call);
    MethodHandler methods[LastMethodNumber];  // method n in methods[n - 1]
    // The camera's internal operations, after the script methods.
    Status(XTRA_CALL* aimAtInterest)(InterfaceObject* self);
    double(XTRA_CALL* vectorAngle)(InterfaceObject* self, double a, double b, double c, double d);
    Status(XTRA_CALL* updateRotationTable)(InterfaceObject* self);
    Status(XTRA_CALL* updateProjectionScale)(InterfaceObject* self);
    Status(XTRA_CALL* updateStageSize)(InterfaceObject* self);
};
static_assert(sizeof(CameraInterfaceOps) == 35 * sizeof(void*), "35 slots");

extern const CameraInterfaceOps cameraInterfaceOps;

Status XTRA_CALL dispatchCall(InterfaceObject* self, CallRecord* call);

// Makes a camera interface object for an instance record (see createInterfaceObject).
Status XTRA_CALL CreateCameraInterface(InstanceRecord* instance, void** out);
