// The one pattern every method handler follows: reaching the camera, reading arguments,
// building scalar, symbol, list and point results, and reporting errors.
#pragma once

#include <initializer_list>

#include "xtra/camera/camera_state.h"
#include "xtra/frame/interface_object.h"

// Script-level results. Errors are symbols stored in the call's result; the handler still
// returns a status.
extern const char* const SymbolOk;
extern const char* const ErrInvalidParameter;
extern const char* const ErrCouldNotCreateList;
extern const char* const ErrParamInvalid;
extern const char* const ErrLimitsInvalid;

// Where a handler's first argument stands in the argument array: object methods have the
// script object itself at element 0, global handlers do not.
constexpr int ObjectMethodArguments = 1;
constexpr int GlobalHandlerArguments = 0;

inline CameraState& cameraOf(InterfaceObject* self) {
    return reinterpret_cast<CameraInstance*>(self->instance)->camera;
}

class ScriptCall {
  public:
    ScriptCall(InterfaceObject* self, CallRecord* call)
        : self_(self), camera_(cameraOf(self)), call_(call) {}

    CameraState& camera() { return camera_; }
    InterfaceObject* self() { return self_; }  // for the camera's internal operations

    // Every method needs the value link. Without it no method runs: the table's entry returns
    // refusal() and leaves the result and the camera untouched.
    bool canRun() const { return camera_.valueServices != nullptr; }
    static Status refusal() { return StatusNotAvailable; }

    // Converts the arguments from element `first` on into the given places, in order. The
    // first refusal stops the reading, stores `errorSymbol` and returns the refusal's status;
    // places after it are not written. Returns 0 when every argument converted.
    Status readArguments(int first, std::initializer_list<double*> places, const char* errorSymbol);

    void resultFloat(double number);
    void resultInteger(int32_t number);
    void resultSymbol(const char* text);

    // A new list of three floats in the result. When no list can be made (or the camera has
    // no list link) the result becomes `errorSymbol`. Returns 0 either way.
    Status resultList(const Vec3& values, const char* errorSymbol);

    // A host point whose items 1 and 2 are floats. Needs the list link; hasListLink() first.
    void resultPoint(double h, double v);
    bool hasListLink() const { return camera_.listServices != nullptr; }

  private:
    InterfaceObject* self_;
    CameraState& camera_;
    CallRecord* call_;
};
