#include "xtra/camera_class/camera_interface.h"

#include "xtra/boundary/stage_window.h"
#include "xtra/camera/orientation.h"

namespace {

// The camera's five internal operations: the derived-data steps, entered through the interface.
Status XTRA_CALL aimAtInterestOperation(InterfaceObject* self) {
    aimAtInterest(cameraInstanceOf(self).camera);
    return StatusOk;
}

double XTRA_CALL vectorAngleOperation(InterfaceObject* /*self*/, double a, double b, double c,
                                      double d) {
    return vectorAngle(a, b, c, d);
}

Status XTRA_CALL updateRotationTableOperation(InterfaceObject* self) {
    updateRotationTable(cameraInstanceOf(self).camera);
    return StatusOk;
}

Status XTRA_CALL updateProjectionScaleOperation(InterfaceObject* self) {
    updateProjectionScale(cameraInstanceOf(self).camera);
    return StatusOk;
}

// The stage from the host's presentation window. Without presentation services, or when a host
// call fails, the stage and its centre stay as they were (400 by 300 after creation).
Status XTRA_CALL updateStageSizeOperation(InterfaceObject* self) {
    const StageReading reading = measureStage(self->instance->hostServices);
    if (reading.measured) {
        setStageSize(cameraInstanceOf(self).camera, reading.stage.width, reading.stage.height);
    }
    return reading.status;
}

}  // namespace

#define CAMERA_METHOD_SLOT(handler, line) cameraEntry<handler>,
#define CAMERA_HANDLER_SLOT(handler, line) globalEntry<handler>,

const CameraInterfaceOps cameraInterfaceOps = {
    interfaceQueryInterface,
    interfaceAddRef,
    interfaceRelease,
    dispatchCall,
    {CAMERA_OBJECT_METHODS(CAMERA_METHOD_SLOT) CAMERA_GLOBAL_HANDLERS(CAMERA_HANDLER_SLOT)},
    aimAtInterestOperation,
    vectorAngleOperation,
    updateRotationTableOperation,
    updateProjectionScaleOperation,
    updateStageSizeOperation,
};

// "new": the derived data, from the stage window on; failures leave the defaults. Out of line,
// so that the dispatch of the other methods saves and restores no register.
[[gnu::noinline]] static Status runNew(InterfaceObject* self) {
    cameraInterfaceOps.updateStageSize(self);
    cameraInterfaceOps.updateProjectionScale(self);
    cameraInterfaceOps.updateRotationTable(self);
    return StatusOk;
}

Status XTRA_CALL dispatchCall(InterfaceObject* self, CallRecord* call) {
    // Unsigned, so a negative method number is out of range too.
    const uint32_t method = static_cast<uint32_t>(call->methodNumber);
    if (method > static_cast<uint32_t>(LastMethodNumber)) {
        return StatusOk;
    }
    if (method == 0) {
        return runNew(self);
    }
    return cameraInterfaceOps.methods[method - 1](self, call);
}

Status XTRA_CALL createCameraInterface(InstanceRecord* instance, void** out) {
    return createInterfaceObject(instance, &cameraInterfaceOps, out);
}
