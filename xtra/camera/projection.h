// World to stage and back, as pure functions: the world-to-camera transform, the view test, the
// perspective step, the blend level and the partial back-projection. Per point they read only
// the rotation table and the precomputed scales: no trigonometric function, no allocation.
//
// Camera space: x to the camera's right, y up, depth along the viewing axis and negative in
// front of the camera (a point straight ahead at distance s has depth -s).
// Stage: pixels, h to the right, v downwards; the viewing axis meets it at (centreH, centreV).
#pragma once

#include <cstdint>

#include "xtra/camera/camera_state.h"

// Where a point outside the visible depth range is reported.
constexpr StagePoint OutOfViewPoint{-2000.0, -2000.0};

// The stage's side of the projection: scales and centre, all in pixels.
struct StageLens {
    double scaleH, scaleV;
    double centreH, centreV;
};

StageLens lensOf(const CameraState& camera);

// The world point relative to the camera (world point minus camera position), axes unturned.
Vec3 offsetFromCamera(const Vec3& world, const Vec3& position);

// Undoes the yaw, then the pitch: (x1, y2, depth). Roll does not change depth, so the view test
// can run on this before the roll is undone.
Vec3 undoYawAndPitch(const Vec3& offset, const RotationTable& table);

// Undoes the roll of a point from undoYawAndPitch: (x3, y3, depth). With roll +90 degrees a
// point right of the viewing axis ends up below it.
Vec3 undoRoll(const Vec3& pitched, const RotationTable& table);

// Strictly between the planes: -farPlane < depth < -nearPlane. A depth on a plane, or NaN, is
// out of view.
bool isInView(double depth, double nearPlane, double farPlane);

// The camera-space point on the stage, unrounded. Depth is negative in front, so a point to
// the right lands right of the centre and a point above lands above it (smaller v).
StagePoint perspective(const Vec3& view, const StageLens& lens);

// 255 at the near plane, 0 at the far plane, linear between and rounded half up; nearer than
// the near plane or behind the camera gives 255, beyond the far plane 0. Planes in either order
// or equal still give a level in 0..255.
int32_t blendLevel(double depth, double nearPlane, double farPlane);

// The perspective step backwards for a chosen camera depth: (Xc, Yc, depth) projects onto
// `screen` again. The lens must have non-zero scales.
Vec3 undoPerspective(const StagePoint& screen, double depth, const StageLens& lens);

// Turns a camera-space point back towards world axes, but only in part: y is un-rolled and
// un-pitched, x and z are turned back by the yaw alone. Exact for a camera without pitch and
// roll, an approximation otherwise. The answer is an offset from the camera position.
Vec3 partialCameraToWorld(const Vec3& view, const RotationTable& table);

struct Projection {
    // What the camera keeps of it: (x3, y3, depth) in view; out of view the translated x and y
    // with the depth, since the roll step is never reached.
    Vec3 view;
    StagePoint screen;  // OutOfViewPoint when not in view
};

Projection projectPoint(const Vec3& world, const CameraState& camera);

struct BackProjection {
    Vec3 offset;  // the result relative to the camera position
    Vec3 world;
};

// The world point seen at `screen` whose camera depth is worldZ - position.z. The camera must
// have non-zero scales.
BackProjection backProjectPoint(const StagePoint& screen, double worldZ, const CameraState& camera);
