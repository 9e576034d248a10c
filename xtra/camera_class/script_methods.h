// The class's script interface in one place: every method and handler with its message-table
// line, in message-table order. "new" is method 0; each entry below is the next method number,
// the object methods first (1 to 19), then the global handlers (20 to 26). The message table's
// text (message_table.cpp) and the camera interface's slots (camera_interface.cpp) are both
// made from these lists, so the numbers a script's calls carry and the handlers they reach
// cannot drift apart.
#pragma once

#include "xtra/camera/camera_state.h"
#include "xtra/script_call/script_call.h"

// Methods on a camera ("object me"): X(handler, message-table line).
#define CAMERA_OBJECT_METHODS(X)                                                                  \
    X(getPosition, "getPosition object me -- returns the 3D position of the camera")              \
    X(setPosition,                                                                                \
      "setPosition object me, any worldX, any worldY, any worldZ -- sets the 3D position of the " \
      "camera")                                                                                   \
    X(getInterest, "getInterest object me -- returns the 3D point of interest")                   \
    X(setInterest,                                                                                \
      "setInterest object me, any worldX, any worldY, any worldZ -- sets the 3D point of "        \
      "interest")                                                                                 \
    X(getRotation, "getRotation object me -- returns the pitch, yaw and roll angles in degrees")  \
    X(setRotation,                                                                                \
      "setRotation object me, any pitch, any yaw, any roll -- sets the rotation angles in "       \
      "degrees")                                                                                  \
    X(setRoll, "setRoll object me, any roll -- sets the roll (or banking) angle in degrees")      \
    X(getFieldOfView, "getFieldOfView object me -- returns the viewing angle in degrees")         \
    X(setFieldOfView, "setFieldOfView object me, any fov -- sets the viewing angle in degrees")   \
    X(getPictureRatio, "getPictureRatio object me -- returns the picture ratio (width / height)") \
    X(setPictureRatio, "setPictureRatio object me, any ratio -- sets the picture ratio")          \
    X(getNearPlane, "getNearPlane object me -- returns the minimal valid distance to the camera") \
    X(setNearPlane,                                                                               \
      "setNearPlane object me, any near -- sets the minimal valid distance to the camera")        \
    X(getFarPlane, "getFarPlane object me -- returns the maximum valid distance from the camera") \
    X(setFarPlane,                                                                                \
      "setFarPlane object me, any far -- sets the maximum valid distance from the camera")        \
    X(getProjection,                                                                              \
      "getProjection object me, any worldX, any worldY, any worldZ -- returns a point that is "   \
      "the 2D projection of the 3D vertex (x, y, z)")                                             \
    X(getDistance,                                                                                \
      "getDistance object me -- returns the distance to the camera for the last calculated "      \
      "projection")                                                                               \
    X(getBlendLevel,                                                                              \
      "getBlendLevel object me -- returns a value between 0 and 255 indicating the distance to "  \
      "the camera of the last projection")                                                        \
    X(getCoordinates,                                                                             \
      "getCoordinates object me, any locH, any locV, any worldZ -- takes a screen coordinate "    \
      "and returns its world coordinates")

// Global handlers, called without a camera (their first argument is element 0): X(handler,
// message-table line).
#define CAMERA_GLOBAL_HANDLERS(X)                                                           \
    X(asinHandler, "* asin any value -- calculates the arcsinus of 'value'")                \
    X(acosHandler, "* acos any value -- calculates the arccosinus of 'value'")              \
    X(constrainHandler,                                                                     \
      "* constrain any value, any minLimit, any maxLimit -- make sure minLimit <= value < " \
      "maxLimit")                                                                           \
    X(limitHandler,                                                                         \
      "* limit any value, any minLimit, any maxLimit -- make sure minLimit <= value <= "    \
      "maxLimit")                                                                           \
    X(sgnHandler, "* sgn any value -- returns the sign of 'value'")                         \
    X(floorHandler, "* floor any value -- returns the rounded down value of 'value'")       \
    X(ceilingHandler, "* ceiling any value -- returns the rounded up value of 'value'")

#define CAMERA_COUNT_ONE(handler, line) +1
// The highest method number; "new" is 0.
constexpr int32_t LastMethodNumber =
    0 CAMERA_OBJECT_METHODS(CAMERA_COUNT_ONE) CAMERA_GLOBAL_HANDLERS(CAMERA_COUNT_ONE);
#undef CAMERA_COUNT_ONE

// A method on a camera works on its record and answers through the call; a global handler has
// only the call.
using CameraMethod = Status (*)(CameraState& camera, ScriptCall& script);
using GlobalHandler = Status (*)(ScriptCall& script);

// A camera point as a list result's three numbers.
inline ListOfThree listOf(const Vec3& point) {
    return ListOfThree{point.x, point.y, point.z};
}

#define CAMERA_DECLARE_METHOD(handler, line) \
    Status handler(CameraState& camera, ScriptCall& script);
#define CAMERA_DECLARE_HANDLER(handler, line) Status handler(ScriptCall& script);
CAMERA_OBJECT_METHODS(CAMERA_DECLARE_METHOD)
CAMERA_GLOBAL_HANDLERS(CAMERA_DECLARE_HANDLER)
#undef CAMERA_DECLARE_METHOD
#undef CAMERA_DECLARE_HANDLER
