// The camera object's record, which the host allocates right behind its instance header.
//
// Units: reals are IEEE 754 doubles; angles in radians; lengths in the script's world units;
// stage values in pixels, h to the right and v downwards. World y is up; with pitch and yaw 0
// the camera looks along -z, and camera-space depth is negative in front of the camera.
#pragma once

#include <cstdint>

struct Vec3 {
    double x, y, z;
};

struct StagePoint {
    double h, v;
};

// Sines and cosines of the three angles and of their negatives, in the order the camera
// has always stored them. A projection reads only this table, never the angles.
struct RotationTable {
    double sinNegPitch, sinPitch, cosNegPitch, cosPitch;
    double sinYaw, sinNegYaw, cosYaw, cosNegYaw;
    double sinNegRoll, sinRoll, cosNegRoll, cosRoll;
};
static_assert(sizeof(RotationTable) == 12 * sizeof(double), "twelve doubles");

// The camera's own fields. In the instance record they follow the host's header and the
// camera's host links (xtra/orvanta/camera_instance.h).
struct CameraState {
    Vec3 position;
    Vec3 interest;
    double pitch;         // positive looks up
    double yaw;           // about world y; +pi/2 looks along -x
    double roll;          // banking about the viewing axis
    double fieldOfView;   // vertical, full angle
    double pictureRatio;  // width / height
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

// Stores the creation defaults; the rotation table and the stage size are left alone,
// "new" derives them.
void storeCameraDefaults(CameraState& camera);
