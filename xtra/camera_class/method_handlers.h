// Every operation of the camera interface's table after Call: the 26 script methods in
// message-table order, then the camera's five internal operations.
//
// A method is written against ScriptCall; the table enters it through one host entry
// (camera_interface.cpp).
#pragma once

#include "xtra/boundary/interface_object.h"
#include "xtra/script_call/script_call.h"

using MethodHandler = Status(XTRA_CALL*)(InterfaceObject* self, CallRecord* call);
using ScriptMethod = Status (*)(ScriptCall& script);

// Methods 1 to 15: camera properties.
Status getPosition(ScriptCall& script);
Status setPosition(ScriptCall& script);
Status getInterest(ScriptCall& script);
Status setInterest(ScriptCall& script);
Status getRotation(ScriptCall& script);
Status setRotation(ScriptCall& script);
Status setRoll(ScriptCall& script);
Status getFieldOfView(ScriptCall& script);
Status setFieldOfView(ScriptCall& script);
Status getPictureRatio(ScriptCall& script);
Status setPictureRatio(ScriptCall& script);
Status getNearPlane(ScriptCall& script);
Status setNearPlane(ScriptCall& script);
Status getFarPlane(ScriptCall& script);
Status setFarPlane(ScriptCall& script);

// Methods 16 to 19: projection and back-projection.
Status getProjection(ScriptCall& script);
Status getDistance(ScriptCall& script);
Status getBlendLevel(ScriptCall& script);
Status getCoordinates(ScriptCall& script);

// Methods 20 to 26: global math handlers (their first argument is element 0).
Status asinHandler(ScriptCall& script);
Status acosHandler(ScriptCall& script);
Status constrainHandler(ScriptCall& script);
Status limitHandler(ScriptCall& script);
Status sgnHandler(ScriptCall& script);
Status floorHandler(ScriptCall& script);
Status ceilingHandler(ScriptCall& script);

// The camera's internal operations, slots 30 to 34.
Status XTRA_CALL aimAtInterest(InterfaceObject* self);
double XTRA_CALL vectorAngle(InterfaceObject* self, double a, double b, double c, double d);
Status XTRA_CALL updateRotationTable(InterfaceObject* self);
Status XTRA_CALL updateProjectionScale(InterfaceObject* self);
Status XTRA_CALL updateStageSize(InterfaceObject* self);
