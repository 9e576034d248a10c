#include "xtra/frame/camera_interface.h"

const CameraInterfaceOps cameraInterfaceOps = {
    interfaceQueryInterface,
    interfaceAddRef,
    interfaceRelease,
    dispatchCall,
    {getPosition,     setPosition,      getInterest,    setInterest,    getRotation,
     setRotation,     setRoll,          getFieldOfView, setFieldOfView, getPictureRatio,
     setPictureRatio, getNearPlane,     setNearPlane,   getFarPlane,    setFarPlane,
     getProjection,   getDistance,      getBlendLevel,  getCoordinates, asinHandler,
     acosHandler,     constrainHandler, limitHandler,   sgnHandler,     floorHandler,
     ceilingHandler},
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
