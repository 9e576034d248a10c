// The camera's property methods. Angles cross to the script in degrees and are held
// in radians; lengths and the picture ratio cross unchanged.
#include "xtra/camera/angles.h"
#include "xtra/camera/orientation.h"
#include "xtra/camera_class/script_methods.h"
#include "xtra/script_call/script_call.h"

namespace {

// What setPictureRatio stores in place of a ratio it refuses. A refused plane becomes its default
// (camera_state.h). These are fixed values, not the previous ones, and a replaced plane is not
// tested against the other one, so the planes may still end up reversed.
constexpr double RefusedRatioReplacement = 1.0;

// One number converted into a local: a refused conversion leaves the camera untouched.
Status readOne(ScriptCall& script, double* value) {
    return script.readArguments(ObjectMethodArguments, {value}, ErrInvalidParameter);
}

// The two setters of a point: a refused argument is reported through the result only, with
// status 0, and whatever converted before it stays set.
Status setPoint(ScriptCall& script, Vec3& point) {
    return script.readIntoFields(ObjectMethodArguments, {&point.x, &point.y, &point.z});
}

}  // namespace

Status getPosition(CameraState& camera, ScriptCall& script) {
    return script.resultList(listOf(camera.position), ErrCouldNotCreateList);
}

Status setPosition(CameraState& camera, ScriptCall& script) {
    if (setPoint(script, camera.position) != StatusOk) {
        return StatusOk;
    }
    // A camera set by angles moves without turning.
    if (camera.tracksInterest == 1) {
        aimAtInterest(camera);
    }
    script.resultSymbol(SymbolOk);
    return StatusOk;
}

Status getInterest(CameraState& camera, ScriptCall& script) {
    // As stored, whether or not the camera still looks at it.
    return script.resultList(listOf(camera.interest), ErrCouldNotCreateList);
}

Status setInterest(CameraState& camera, ScriptCall& script) {
    if (setPoint(script, camera.interest) != StatusOk) {
        return StatusOk;
    }
    camera.tracksInterest = 1;
    aimAtInterest(camera);
    script.resultSymbol(SymbolOk);
    return StatusOk;
}

Status getRotation(CameraState& camera, ScriptCall& script) {
    const Vec3 degrees{radiansToDegrees(camera.pitch), radiansToDegrees(camera.yaw),
                       radiansToDegrees(camera.roll)};
    return script.resultList(listOf(degrees), ErrCouldNotCreateList);
}

Status setRotation(CameraState& camera, ScriptCall& script) {
    // All three or none: a refused angle leaves the previous orientation whole, in radians and
    // matching the rotation table.
    double pitchDegrees = 0.0;
    double yawDegrees = 0.0;
    double rollDegrees = 0.0;
    const Status status = script.readArguments(
        ObjectMethodArguments, {&pitchDegrees, &yawDegrees, &rollDegrees}, ErrInvalidParameter);
    if (status != StatusOk) {
        return status;
    }
    camera.tracksInterest = 0;
    camera.pitch = degreesToRadians(pitchDegrees);
    camera.yaw = degreesToRadians(yawDegrees);
    camera.roll = degreesToRadians(rollDegrees);
    // The interest stays as it was, no longer on the viewing axis in general.
    updateRotationTable(camera);
    script.resultSymbol(SymbolOk);
    return StatusOk;
}

Status setRoll(CameraState& camera, ScriptCall& script) {
    double rollDegrees = 0.0;
    const Status status = readOne(script, &rollDegrees);
    if (status != StatusOk) {
        return status;
    }
    // Pitch, yaw and tracking are left alone: a tracking camera keeps tracking with this roll.
    camera.roll = degreesToRadians(rollDegrees);
    setRollEntries(camera.rotationTable, camera.roll);
    script.resultSymbol(SymbolOk);
    return StatusOk;
}

Status getFieldOfView(CameraState& camera, ScriptCall& script) {
    script.resultFloat(radiansToDegrees(camera.fieldOfView));
    return StatusOk;
}

Status setFieldOfView(CameraState& camera, ScriptCall& script) {
    double fieldOfViewDegrees = 0.0;
    const Status status = readOne(script, &fieldOfViewDegrees);
    if (status != StatusOk) {
        return status;
    }
    // No range test: the scale update repairs only a zero or NaN tangent (0 becomes 45 degrees).
    camera.fieldOfView = degreesToRadians(fieldOfViewDegrees);
    updateProjectionScale(camera);
    script.resultSymbol(SymbolOk);
    return StatusOk;
}

Status getPictureRatio(CameraState& camera, ScriptCall& script) {
    script.resultFloat(camera.pictureRatio);
    return StatusOk;
}

Status setPictureRatio(CameraState& camera, ScriptCall& script) {
    double ratio = 0.0;
    const Status status = readOne(script, &ratio);
    if (status != StatusOk) {
        return status;
    }
    if (!(ratio > 0.0)) {
        // The scales are deliberately not refreshed: scaleH keeps the previous ratio's value
        // until the next scale update.
        camera.pictureRatio = RefusedRatioReplacement;
        script.resultSymbol(ErrInvalidParameter);
        return StatusOk;
    }
    camera.pictureRatio = ratio;
    updateProjectionScale(camera);
    script.resultSymbol(SymbolOk);
    return StatusOk;
}

Status getNearPlane(CameraState& camera, ScriptCall& script) {
    script.resultFloat(camera.nearPlane);
    return StatusOk;
}

Status setNearPlane(CameraState& camera, ScriptCall& script) {
    double nearPlane = 0.0;
    const Status status = readOne(script, &nearPlane);
    if (status != StatusOk) {
        return status;
    }
    // The planes are read at each projection, so nothing needs recomputing. A near plane equal
    // to the far plane is accepted.
    if (!(nearPlane > 0.0 && nearPlane <= camera.farPlane)) {
        camera.nearPlane = DefaultNearPlane;
        script.resultSymbol(ErrInvalidParameter);
        return StatusOk;
    }
    camera.nearPlane = nearPlane;
    script.resultSymbol(SymbolOk);
    return StatusOk;
}

Status getFarPlane(CameraState& camera, ScriptCall& script) {
    script.resultFloat(camera.farPlane);
    return StatusOk;
}

Status setFarPlane(CameraState& camera, ScriptCall& script) {
    double farPlane = 0.0;
    const Status status = readOne(script, &farPlane);
    if (status != StatusOk) {
        return status;
    }
    // Strictly beyond the near plane: an equal far plane is refused.
    if (!(farPlane > camera.nearPlane)) {
        camera.farPlane = DefaultFarPlane;
        script.resultSymbol(ErrInvalidParameter);
        return StatusOk;
    }
    camera.farPlane = farPlane;
    script.resultSymbol(SymbolOk);
    return StatusOk;
}
