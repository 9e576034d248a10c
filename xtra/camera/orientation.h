// The camera's orientation and derived data: pure functions of its values (the angle between
// two plane vectors, the aiming angles, the table of sines and cosines, the projection scales),
// and the steps that keep a CameraState's derived data in step with what a script set. The
// orientation convention is at the head of camera_state.h.
#pragma once

#include "xtra/camera/camera_state.h"

// Unsigned angle in radians, in [0, pi], between the plane vectors (a, b) and (c, d); 0.0 when
// either has zero length. The cosine is built from the two unit vectors and only held to
// [-1, 1] where rounding pushed it past an end, so parallel vectors never give NaN.
double vectorAngle(double a, double b, double c, double d);

struct AimAngles {
    double pitch;  // in [-pi/2, pi/2]; positive when the interest lies above the camera
    double yaw;    // in (-pi, pi]: atan2 of the offset, except that straight behind is +pi
};

// The angles that point a camera standing at `position` at `interest`. A camera straight above
// or below its interest gets yaw 0 and pitch -pi/2 or +pi/2; one standing on it gets 0 and 0.
AimAngles aimAngles(const Vec3& position, const Vec3& interest);

// All twelve entries, each from its own sin or cos call (sin(-a) is evaluated, not negated).
RotationTable rotationTableFor(double pitch, double yaw, double roll);

// Only the four roll entries; the pitch and yaw entries are kept.
void setRollEntries(RotationTable& table, double roll);

struct ProjectionScales {
    double fieldOfView;  // radians; replaced by 45 degrees when its half-angle tangent is 0 or NaN
    double scaleH;       // pixels per unit of x / depth
    double scaleV;       // pixels per unit of y / depth
};

// Both scales come from the half stage height: the picture ratio only narrows the horizontal
// one. A negative tangent (field of view below 0 or between 180 and 360 degrees) is kept and
// turns the picture upside down; only a zero or NaN tangent is repaired.
ProjectionScales projectionScales(double fieldOfView, double pictureRatio, double centreV);

// ---- The derived-data steps, on the camera's record. Each runs when its inputs change, never
// per projection.

// Points the camera from its position at its interest (pitch and yaw), keeps the roll, and
// refreshes the rotation table.
void aimAtInterest(CameraState& camera);

// The twelve sines and cosines from the current pitch, yaw and roll.
void updateRotationTable(CameraState& camera);

// Both scales from the field of view, the picture ratio and the half stage height; a field of
// view whose half-angle tangent is 0 or NaN becomes 45 degrees first.
void updateProjectionScale(CameraState& camera);

// The stage in pixels, as measured from the host's window, and its centre at half of each.
void setStageSize(CameraState& camera, double width, double height);
