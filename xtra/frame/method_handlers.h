// Every operation of the camera interface's table after Call: the 26 script method handlers
// in message-table order, then the camera's five internal operations.
#pragma once

#include "xtra/frame/interface_object.h"

using MethodHandler = Status(XTRA_CALL*)(InterfaceObject* self, CallRecord* call);

// Methods 1 to 15: camera properties.
Status XTRA_CALL getPosition(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setPosition(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getInterest(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setInterest(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getRotation(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setRotation(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setRoll(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getFieldOfView(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setFieldOfView(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getPictureRatio(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setPictureRatio(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getNearPlane(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setNearPlane(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getFarPlane(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL setFarPlane(InterfaceObject* self, CallRecord* call);

// Methods 16 to 19: projection and back-projection.
Status XTRA_CALL getProjection(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getDistance(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getBlendLevel(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL getCoordinates(InterfaceObject* self, CallRecord* call);

// Methods 20 to 26: global math handlers (their first argument is element 0).
Status XTRA_CALL asinHandler(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL acosHandler(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL constrainHandler(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL limitHandler(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL sgnHandler(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL floorHandler(InterfaceObject* self, CallRecord* call);
Status XTRA_CALL ceilingHandler(InterfaceObject* self, CallRecord* call);

// The camera's internal operations, slots 30 to 34.
Status XTRA_CALL aimAtInterest(InterfaceObject* self);
double XTRA_CALL vectorAngle(InterfaceObject* self, double a, double b, double c, double d);
Status XTRA_CALL updateRotationTable(InterfaceObject* self);
Status XTRA_CALL updateProjectionScale(InterfaceObject* self);
Status XTRA_CALL updateStageSize(InterfaceObject* self);
