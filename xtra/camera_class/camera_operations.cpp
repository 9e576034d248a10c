// The camera's five internal operations (the last slots of its interface table): they keep the
// derived data of a CameraState in step with what a script set.
#include "xtra/boundary/stage_window.h"
#include "xtra/camera/orientation.h"
#include "xtra/camera_class/method_handlers.h"
#include "xtra/script_call/script_call.h"

Status XTRA_CALL aimAtInterest(InterfaceObject* self) {
    CameraState& camera = cameraOf(self);
    const AimAngles aim = aimAngles(camera.position, camera.interest);
    camera.yaw = aim.yaw;
    camera.pitch = aim.pitch;
    // The roll is the script's and stays.
    updateRotationTable(self);
    return StatusOk;
}

double XTRA_CALL vectorAngle(InterfaceObject* /*self*/, double a, double b, double c, double d) {
    return planeVectorAngle(a, b, c, d);
}

Status XTRA_CALL updateRotationTable(InterfaceObject* self) {
    CameraState& camera = cameraOf(self);
    camera.rotationTable = rotationTableFor(camera.pitch, camera.yaw, camera.roll);
    return StatusOk;
}

Status XTRA_CALL updateProjectionScale(InterfaceObject* self) {
    CameraState& camera = cameraOf(self);
    const ProjectionScales scales =
        projectionScales(camera.fieldOfView, camera.pictureRatio, camera.centreV);
    camera.fieldOfView = scales.fieldOfView;
    camera.scaleH = scales.scaleH;
    camera.scaleV = scales.scaleV;
    return StatusOk;
}

Status XTRA_CALL updateStageSize(InterfaceObject* self) {
    const StageReading reading = measureStage(self->instance->hostServices);
    if (reading.measured) {
        CameraState& camera = cameraOf(self);
        camera.stageWidth = reading.stage.width;
        camera.stageHeight = reading.stage.height;
        camera.centreH = reading.stage.centreH;
        camera.centreV = reading.stage.centreV;
    }
    return reading.status;
}
