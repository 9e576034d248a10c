#include "xtra/camera_class/camera_interface.h"

namespace {

// How the host enters a method, through Call or straight through its slot. Every method needs
// the camera's value link: without it nothing can be read or answered, so the method does not
// run, the result and the camera stay untouched, and the host gets StatusNotAvailable. This is
// the one place that rule is checked.
template <ScriptMethod Method>
Status XTRA_CALL hostEntry(InterfaceObject* self, CallRecord* call) {
    ScriptCall script(self, call);
    if (!script.canRun()) {
        return StatusNotAvailable;
    }
    return Method(script);
}

}  // namespace

const CameraInterfaceOps cameraInterfaceOps = {
    interfaceQueryInterface,
    interfaceAddRef,
    interfaceRelease,
    dispatchCall,
    {hostEntry<getPosition>,      hostEntry<setPosition>,     hostEntry<getInterest>,
     hostEntry<setInterest>,      hostEntry<getRotation>,     hostEntry<setRotation>,
     hostEntry<setRoll>,          hostEntry<getFieldOfView>,  hostEntry<setFieldOfView>,
     hostEntry<getPictureRatio>,  hostEntry<setPictureRatio>, hostEntry<getNearPlane>,
     hostEntry<setNearPlane>,     hostEntry<getFarPlane>,     hostEntry<setFarPlane>,
     hostEntry<getProjection>,    hostEntry<getDistance>,     hostEntry<getBlendLevel>,
     hostEntry<getCoordinates>,   hostEntry<asinHandler>,     hostEntry<acosHandler>,
     hostEntry<constrainHandler>, hostEntry<limitHandler>,    hostEntry<sgnHandler>,
     hostEntry<floorHandler>,     hostEntry<ceilingHandler>},
    aimAtInterest,
    vectorAngle,
    updateRotationTable,
    updateProjectionScale,
    updateStageSize,
};

Status XTRA_CALL dispatchCall(InterfaceObject* self, CallRecord* call) {
    // Unsigned, so a negative method number is out of range too.
    const uint32_t method = static_cast<uint32_t>(call->methodNumber);
    if (method > static_cast<uint32_t>(LastMethodNumber)) {
        return StatusOk;
    }
    if (method == 0) {
        // "new": the derived data, from the stage window on; failures leave the defaults.
        cameraInterfaceOps.updateStageSize(self);
        cameraInterfaceOps.updateProjectionScale(self);
        cameraInterfaceOps.updateRotationTable(self);
        return StatusOk;
    }
    return cameraInterfaceOps.methods[method - 1](self, call);
}

Status XTRA_CALL CreateCameraInterface(InstanceRecord* instance, void** out) {
    return createInterfaceObject(instance, &cameraInterfaceOps, out);
}
