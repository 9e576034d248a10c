// The camera interface's operation table and its dispatcher.
#pragma once

#include "xtra/boundary/interface_object.h"
#include "xtra/camera_class/camera_instance.h"
#include "xtra/camera_class/script_methods.h"

// How the host enters a method, through Call or straight through its slot.
using MethodHandler = Status(XTRA_CALL*)(InterfaceObject* self, CallRecord* call);

// The two entries the slots are made of. Every method needs the camera's value link: without it
// nothing can be read or answered, so the method does not run, the result and the camera stay
// untouched, and the host gets StatusNotAvailable. This is the one place that rule is checked.
// A camera method's entry is flattened, so that where the handler's body is in sight it is
// taken in whole (why: bench/shipped/codegen_notes.md).
template <CameraMethod Method>
[[gnu::flatten]] Status XTRA_CALL cameraEntry(InterfaceObject* self, CallRecord* call) {
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

// The entries of the two methods a script calls once per point are made in
// projection_methods.cpp, beside the handlers they take in.
extern template Status XTRA_CALL cameraEntry<getProjection>(InterfaceObject*, CallRecord*);
extern template Status XTRA_CALL cameraEntry<getDistance>(InterfaceObject*, CallRecord*);

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
Status XTRA_CALL createCameraInterface(InstanceRecord* instance, void** out);
