// World to stage and back, as small pure functions: the world-to-camera transform, the view
// test, the perspective step, the blend level and the partial back-projection. Per point they
// read only the rotation table and the precomputed scales: no trigonometric function, no
// allocation. They are defined here so that they inline into their callers: a projection is a
// handful of multiplications, and an out-of-line call returning its result through memory
// costs as much again. Axes, units and signs: the conventions at the head of camera_state.h.
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

inline StageLens lensOf(const CameraState& camera) {
    return StageLens{camera.scaleH, camera.scaleV, camera.centreH, camera.centreV};
}

// The world point relative to the camera (world point minus camera position), axes unturned.
inline Vec3 offsetFromCamera(const Vec3& world, const Vec3& position) {
    return Vec3{world.x - position.x, world.y - position.y, world.z - position.z};
}

// Undoes the yaw, then the pitch: (x1, y2, depth). Roll does not change depth, so the view test
// can run on this before the roll is undone.
inline Vec3 undoYawAndPitch(const Vec3& offset, const RotationTable& table) {
    const double x1 = table.cosNegYaw * offset.x + table.sinNegYaw * offset.z;
    const double z1 = table.cosNegYaw * offset.z - table.sinNegYaw * offset.x;
    const double y2 = table.cosPitch * offset.y + table.sinPitch * z1;
    const double depth = table.cosPitch * z1 - table.sinPitch * offset.y;
    return Vec3{x1, y2, depth};
}

// Undoes the roll of a point from undoYawAndPitch: (x3, y3, depth). With roll +90 degrees a
// point right of the viewing axis ends up below it.
inline Vec3 undoRoll(const Vec3& pitched, const RotationTable& table) {
    const double x3 = table.sinRoll * pitched.y + table.cosRoll * pitched.x;
    const double y3 = table.cosRoll * pitched.y - table.sinRoll * pitched.x;
    return Vec3{x3, y3, pitched.z};
}

// Strictly between the planes: -farPlane < depth < -nearPlane. A depth on a plane, or NaN, is
// out of view.
inline bool isInView(double depth, double nearPlane, double farPlane) {
    return -farPlane < depth && depth < -nearPlane;
}

// The camera-space point on the stage, unrounded. Depth is negative in front, so a point to
// the right lands right of the centre and a point above lands above it (smaller v).
inline StagePoint perspective(const Vec3& view, const StageLens& lens) {
    // Divide, scale, then place around the centre, in this order.
    const double h = lens.centreH - (view.x / view.z) * lens.scaleH;
    const double v = (view.y / view.z) * lens.scaleV + lens.centreV;
    return StagePoint{h, v};
}

// 255 at the near plane, 0 at the far plane, linear between and rounded half up; nearer than
// the near plane or behind the camera gives 255, beyond the far plane 0. Planes in either order
// or equal still give a level in 0..255.
inline int32_t blendLevel(double depth, double nearPlane, double farPlane) {
    const double distance = -depth;
    double level = (distance - farPlane) * 255.0 / (nearPlane - farPlane);
    // Written so that NaN (equal or infinite planes) falls to 0.
    if (!(level >= 0.0)) {
        level = 0.0;
    } else if (level > 255.0) {
        level = 255.0;
    }
    // level + 0.5 lies in [0.5, 255.5], so the truncation is always in range.
    return static_cast<int32_t>(level + 0.5);
}

// The perspective step backwards for a chosen camera depth: (Xc, Yc, depth) projects onto
// `screen` again. The lens must have non-zero scales.
inline Vec3 undoPerspective(const StagePoint& screen, double depth, const StageLens& lens) {
    // Subtract, multiply by the depth, divide by the scale, in this order.
    const double y = (screen.v - lens.centreV) * depth / lens.scaleV;
    const double x = (lens.centreH - screen.h) * depth / lens.scaleH;
    return Vec3{x, y, depth};
}

// Turns a camera-space point back towards world axes, but only in part: y is un-rolled and
// un-pitched, x and z are turned back by the yaw alone. Exact for a camera without pitch and
// roll, an approximation otherwise. The answer is an offset from the camera position.
inline Vec3 partialCameraToWorld(const Vec3& view, const RotationTable& table) {
    const double y = (table.cosNegRoll * view.y - table.sinNegRoll * view.x) * table.cosNegPitch +
                     view.z * table.sinNegPitch;
    const double x = view.z * table.sinYaw + table.cosYaw * view.x;
    const double z = table.cosYaw * view.z - table.sinYaw * view.x;
    return Vec3{x, y, z};
}

struct Projection {
    // What the camera keeps of it: (x3, y3, depth) in view; out of view the translated x and y
    // with the depth, since the roll step is never reached.
    Vec3 view;
    StagePoint screen;  // OutOfViewPoint when not in view
};

// World to stage in one step. (Why one record filled on either path and returned once:
// bench/shipped/codegen_notes.md.)
inline Projection projectPoint(const Vec3& world, const CameraState& camera) {
    const Vec3 offset = offsetFromCamera(world, camera.position);
    const Vec3 pitched = undoYawAndPitch(offset, camera.rotationTable);
    Projection projection{Vec3{offset.x, offset.y, pitched.z}, OutOfViewPoint};
    if (isInView(pitched.z, camera.nearPlane, camera.farPlane)) {
        projection.view = undoRoll(pitched, camera.rotationTable);
        projection.screen = perspective(projection.view, lensOf(camera));
    }
    return projection;
}

struct BackProjection {
    Vec3 offset;  // the result relative to the camera position
    Vec3 world;
};

// The world point seen at `screen` whose camera depth is worldZ - position.z. The camera must
// have non-zero scales.
inline BackProjection backProjectPoint(const StagePoint& screen, double worldZ,
                                       const CameraState& camera) {
    const Vec3& position = camera.position;
    const Vec3 view = undoPerspective(screen, worldZ - position.z, lensOf(camera));
    const Vec3 offset = partialCameraToWorld(view, camera.rotationTable);
    return BackProjection{
        offset, Vec3{offset.x + position.x, offset.y + position.y, offset.z + position.z}};
}
