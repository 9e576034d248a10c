// The camera's projection methods: projection of a world point, the depth and blend level of
// the last one, and back-projection of a stage point.
#include <cstddef>

#include "xtra/camera/projection.h"
#include "xtra/camera_class/camera_interface.h"
#include "xtra/camera_class/script_methods.h"
#include "xtra/script_call/script_call.h"

// This file is compiled with -fno-tree-slp-vectorize (xtra/CMakeLists.txt) because, vectorised,
// the roll step loads cosRoll with 16 bytes, whose upper half is lastWorld.x, just written by the
// host: a load the processor cannot forward from that store (bench/shipped/codegen_notes.md).
// Should the layout change, the option's reason changes with it.
static_assert(offsetof(CameraState, lastWorld) == offsetof(CameraState, rotationTable) +
                                                      offsetof(RotationTable, cosRoll) +
                                                      sizeof(double),
              "lastWorld follows cosRoll, the last entry of the rotation table");

// The 32-bit build with GCC also has -fno-tree-sink: sunk into the in-view branch, the yaw and
// pitch step's x1 and y2 are computed after the view test, and the values they need stay live
// across it, more than eight XMM registers hold. GCC then spills three of them before the test
// and reloads them on the way to the divisions (bench/shipped/codegen_notes.md).

Status getProjection(CameraState& camera, ScriptCall& script) {
    // The point result needs the list link; without it nothing is read or changed.
    if (!script.hasListLink()) {
        script.resultSymbol(ErrInvalidParameter);
        return StatusOk;
    }
    // A refused coordinate leaves the last projection's view and stage point in place, so
    // getDistance still answers for it.
    Status status = script.readIntoField(ObjectMethodArguments, camera.lastWorld.x);
    if (status == StatusOk) {
        status = script.readIntoField(ObjectMethodArguments + 1, camera.lastWorld.y);
    }
    if (status == StatusOk) {
        status = script.readIntoField(ObjectMethodArguments + 2, camera.lastWorld.z);
    }
    if (status != StatusOk) {
        return status;
    }
    // The point is made before the projection, the coordinates are read back as the host wrote
    // them, and the last view and stage point are stored field by field (why, all three:
    // bench/shipped/codegen_notes.md).
    script.resultPoint();
    const Vec3 world{freshDouble(&camera.lastWorld.x), freshDouble(&camera.lastWorld.y),
                     freshDouble(&camera.lastWorld.z)};
    const Projection projection = projectPoint(world, camera);
    camera.lastView.x = projection.view.x;
    camera.lastView.y = projection.view.y;
    camera.lastView.z = projection.view.z;
    camera.lastScreen.h = projection.screen.h;
    camera.lastScreen.v = projection.screen.v;
    script.setPointItems(projection.screen.h, projection.screen.v);
    return StatusOk;
}

Status getDistance(CameraState& camera, ScriptCall& script) {
    // The signed camera-space depth, negative in front: neither made positive nor the
    // straight-line distance.
    script.resultFloat(camera.lastView.z);
    return StatusOk;
}

// The host's entries of the two methods above, which take them in whole.
template Status XTRA_CALL cameraEntry<getProjection>(InterfaceObject*, CallRecord*);
template Status XTRA_CALL cameraEntry<getDistance>(InterfaceObject*, CallRecord*);

Status getBlendLevel(CameraState& camera, ScriptCall& script) {
    // The planes as they are now, not as the projection saw them.
    script.resultInteger(blendLevel(camera.lastView.z, camera.nearPlane, camera.farPlane));
    return StatusOk;
}

Status getCoordinates(CameraState& camera, ScriptCall& script) {
    if (!script.hasListLink()) {
        script.resultSymbol(ErrInvalidParameter);
        return StatusOk;
    }
    Status status =
        script.readIntoFields(ObjectMethodArguments, {&camera.lastScreen.h, &camera.lastScreen.v});
    if (status != StatusOk) {
        return status;
    }
    double worldZ = 0.0;
    status = script.readArguments(ObjectMethodArguments + 2, {&worldZ}, ErrInvalidParameter);
    if (status != StatusOk) {
        return status;
    }
    // A zero scale (a stage of zero height, or an infinite picture ratio) has no inverse: the
    // stage point is kept as given, the last view and world point stay those of before.
    if (camera.scaleH == 0.0 || camera.scaleV == 0.0) {
        script.resultSymbol(ErrInvalidParameter);
        return StatusOk;
    }
    const BackProjection back = backProjectPoint(camera.lastScreen, worldZ, camera);
    camera.lastView = back.offset;
    camera.lastWorld = back.world;
    // A list that cannot be made is reported as errInvalidParameter here, not
    // errCouldNotCreateList; the fields above already hold the new point.
    return script.resultList(listOf(camera.lastWorld), ErrInvalidParameter);
}
