#include "xtra/camera/camera_state.h"

#include <cmath>

#include "xtra/camera/angles.h"

void storeCameraDefaults(CameraState& camera) {
    camera.position = {0.0, 2.0, 20.0};
    camera.interest = {0.0, 0.0, 0.0};
    // Close to, but not exactly, the aiming angle for the default position and interest;
    // "new" does not re-aim, so this literal stays until the first setPosition or setInterest.
    camera.pitch = -0.0997;
    camera.yaw = 0.0;
    camera.roll = 0.0;
    camera.fieldOfView = piValue() * 0.23077222222222224;  // 41.539 degrees
    camera.pictureRatio = 1.18;
    camera.nearPlane = DefaultNearPlane;
    camera.farPlane = DefaultFarPlane;
    camera.tracksInterest = 1;
    camera.lastWorld = {0.0, 0.0, 0.0};
    camera.lastView = {0.0, 0.0, 0.0};
    camera.lastScreen = {0.0, 0.0};
    camera.scaleH = 0.0;
    camera.scaleV = 0.0;
    camera.centreH = 400.0;
    camera.centreV = 300.0;
}
