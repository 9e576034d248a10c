// Methods 20 to 26: the global math handlers. They take their arguments from element 0, keep
// no state and use the camera instance only for its value link. asin and acos work in
// radians, unlike the camera methods.
#include <cmath>

#include "xtra/frame/method_handlers.h"
#include "xtra/frame/script_call.h"
#include "xtra/mathutil/math_functions.h"

namespace {

// The one-argument handlers: converts the value, or stores errParamInvalid and returns the
// refusal's status.
Status readValue(ScriptCall& script, double* value) {
    return script.readArguments(GlobalHandlerArguments, {value}, ErrParamInvalid);
}

// constrain and limit: a refused argument reports errLimitsInvalid, even when it is the value.
Status readValueAndLimits(ScriptCall& script, double* value, double* minLimit, double* maxLimit) {
    return script.readArguments(GlobalHandlerArguments, {value, minLimit, maxLimit},
                                ErrLimitsInvalid);
}

template <typename Function>
Status arcHandler(InterfaceObject* self, CallRecord* call, Function function) {
    ScriptCall script(self, call);
    if (!script.canRun()) {
        return ScriptCall::refusal();
    }
    double value = 0.0;
    const Status status = readValue(script, &value);
    if (status != StatusOk) {
        return status;
    }
    if (!isInArcDomain(value)) {
        script.resultSymbol(ErrParamInvalid);
        return StatusOk;
    }
    script.resultFloat(function(value));
    return StatusOk;
}

template <typename Rounding>
Status roundingHandler(InterfaceObject* self, CallRecord* call, Rounding rounding) {
    ScriptCall script(self, call);
    if (!script.canRun()) {
        return ScriptCall::refusal();
    }
    double value = 0.0;
    const Status status = readValue(script, &value);
    if (status != StatusOk) {
        return status;
    }
    const std::optional<int32_t> integer = rounding(value);
    if (!integer) {
        script.resultSymbol(ErrParamInvalid);
        return StatusOk;
    }
    script.resultInteger(*integer);
    return StatusOk;
}

// constrain and limit: three arguments, a test of the limits, then the answer as a float. An
// empty answer is reported like invalid limits.
template <typename Answer>
Status limitsHandler(InterfaceObject* self, CallRecord* call, bool (*limitsValid)(double, double),
                     Answer answer) {
    ScriptCall script(self, call);
    if (!script.canRun()) {
        return ScriptCall::refusal();
    }
    double value = 0.0;
    double minLimit = 0.0;
    double maxLimit = 0.0;
    const Status status = readValueAndLimits(script, &value, &minLimit, &maxLimit);
    if (status != StatusOk) {
        return status;
    }
    const std::optional<double> result =
        limitsValid(minLimit, maxLimit) ? answer(value, minLimit, maxLimit) : std::nullopt;
    if (!result) {
        script.resultSymbol(ErrLimitsInvalid);
        return StatusOk;
    }
    script.resultFloat(*result);
    return StatusOk;
}

}  // namespace

Status XTRA_CALL asinHandler(InterfaceObject* self, CallRecord* call) {
    return arcHandler(self, call, [](double value) { return std::asin(value); });
}

Status XTRA_CALL acosHandler(InterfaceObject* self, CallRecord* call) {
    return arcHandler(self, call, [](double value) { return std::acos(value); });
}

Status XTRA_CALL constrainHandler(InterfaceObject* self, CallRecord* call) {
    // A value the steps could never bring into the range (infinite, or so large that a step
    // no longer moves it) is answered like invalid limits.
    return limitsHandler(self, call, areWrapLimitsValid, wrapIntoRange);
}

Status XTRA_CALL limitHandler(InterfaceObject* self, CallRecord* call) {
    return limitsHandler(self, call, areClampLimitsValid,
                         [](double value, double minLimit, double maxLimit) {
                             return std::optional<double>(clampToLimits(value, minLimit, maxLimit));
                         });
}

Status XTRA_CALL sgnHandler(InterfaceObject* self, CallRecord* call) {
    ScriptCall script(self, call);
    if (!script.canRun()) {
        return ScriptCall::refusal();
    }
    double value = 0.0;
    const Status status = readValue(script, &value);
    if (status != StatusOk) {
        return status;
    }
    script.resultInteger(signOf(value));
    return StatusOk;
}

Status XTRA_CALL floorHandler(InterfaceObject* self, CallRecord* call) {
    return roundingHandler(self, call, floorToInteger);
}

Status XTRA_CALL ceilingHandler(InterfaceObject* self, CallRecord* call) {
    return roundingHandler(self, call, ceilingToInteger);
}
