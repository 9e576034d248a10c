// The camera's record and the conventions that every camera file follows.
//
// Conventions
// - Numbers: IEEE 754 doubles throughout, no fused multiply-add. Lengths are the script's world
//   units, never scaled. Angles are held in radians and cross to the script in degrees, each
//   way converted by one fixed expression (angles.h).
// - World: right-handed, y up.
// - Orientation: yaw turns the camera about the world y axis (0 looks along -z, +pi/2 along -x,
//   pi along +z); pitch tilts it, positive looking up; roll banks it about the viewing axis.
//   The viewing direction is (-sin yaw cos pitch, sin pitch, -cos yaw cos pitch); before roll
//   the camera's right axis is (cos yaw, 0, -sin yaw) and its up axis
//   (sin pitch sin yaw, cos pitch, sin pitch cos yaw).
// - World to camera: translate by the camera position, undo the yaw, then the pitch, then the
//   roll. Roll does not change depth, so the view test may come before the roll.
// - Camera space: x to the camera's right, y up, depth along the viewing axis and negative in
//   front of the camera (a point straight ahead at distance s has depth -s).
// - Stage: pixels, h to the right and v downwards; the viewing axis meets it at
//   (centreH, centreV). A point out of view is reported at (-2000, -2000).
#pragma once

#include <cstdint>

struct Vec3 {
    double x, y, z;
};

struct StagePoint {
    double h, v;
};

// Sines and cosines of the three angles and of their negatives, each from its own sin or cos
// call, in this fixed order. A projection reads only this table, never the angles.
struct RotationTable {
    double sinNegPitch, sinPitch, cosNegPitch, cosPitch;
    double sinYaw, sinNegYaw, cosYaw, cosNegYaw;
    double sinNegRoll, sinRoll, cosNegRoll, cosRoll;
};
static_assert(sizeof(RotationTable) == 12 * sizeof(double), "twelve doubles");

// The camera's own fields. In the instance record they follow the host's header and the
// camera's host links (xtra/camera_class/camera_instance.h).
struct CameraState {
    Vec3 position;
    Vec3 interest;
    double pitch;         // positive looks up
    double yaw;           // about world y; +pi/2 looks along -x
    double roll;          // banking about the viewing axis
    double fieldOfView;   // vertical, full angle
    double pictureRatio;  // divides the horizontal scale: 1 is undistorted on any stage
    double nearPlane;
    double farPlane;
    uint8_t tracksInterest;  // 1: orientation follows position and interest

    RotationTable rotationTable;
    Vec3 lastWorld;
    Vec3 lastView;  // x, y, depth
    StagePoint lastScreen;
    double scaleH;
    double scaleV;
    double stageWidth;
    double stageHeight;
    double centreH;
    double centreV;
};

// The planes a camera starts with; a setter that refuses a plane stores its default too.
constexpr double DefaultNearPlane = 0.1;
constexpr double DefaultFarPlane = 32768.0;

// Stores the creation defaults; the rotation table and the stage size are left alone,
// "new" derives them.
void storeCameraDefaults(CameraState& camera);
