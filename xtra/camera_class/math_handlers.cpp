// The global math handlers. They take their arguments from element 0, keep no state and use
// the object only for its value link. asin and acos work in radians, unlike the camera methods.
#include <cmath>

#include "xtra/camera_class/script_methods.h"
#include "xtra/math/math_functions.h"
#include "xtra/script_call/script_call.h"

namespace {

void storeAnswer(ScriptCall& script, double number) {
    script.resultFloat(number);
}
void storeAnswer(ScriptCall& script, int32_t number) {
    script.resultInteger(number);
}

// asin, acos, sgn, floor and ceiling: one value, then a float or integer answer. A refused
// value, or an empty answer (a value outside the handler's domain), gives errParamInvalid.
template <typename Answer>
Status oneValueHandler(ScriptCall& script, Answer answer) {
    double value = 0.0;
    const Status status = script.readArguments(GlobalHandlerArguments, {&value}, ErrParamInvalid);
    if (status != StatusOk) {
        return status;
    }
    const auto result = answer(value);
    if (!result) {
        script.resultSymbol(ErrParamInvalid);
        return StatusOk;
    }
    storeAnswer(script, *result);
    return StatusOk;
}

// The arc functions answer only inside -1..1; NaN is outside.
template <typename Arc>
auto withinArcDomain(Arc arc) {
    return [arc](double value) {
        return isInArcDomain(value) ? std::optional<double>(arc(value)) : std::nullopt;
    };
}

// constrain and limit: three arguments, a test of the limits, then the answer as a float. An
// empty answer is reported like invalid limits.
template <typename Answer>
Status limitsHandler(ScriptCall& script, bool (*limitsValid)(double, double), Answer answer) {
    double value = 0.0;
    double minLimit = 0.0;
    double maxLimit = 0.0;
    // A refused argument reports errLimitsInvalid, even when it is the value.
    const Status status = script.readArguments(GlobalHandlerArguments,
                                               {&value, &minLimit, &maxLimit}, ErrLimitsInvalid);
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

Status asinHandler(ScriptCall& script) {
    return oneValueHandler(script, withinArcDomain([](double value) { return std::asin(value); }));
}

Status acosHandler(ScriptCall& script) {
    return oneValueHandler(script, withinArcDomain([](double value) { return std::acos(value); }));
}

Status constrainHandler(ScriptCall& script) {
    // A value the steps could never bring into the range (infinite, or so large that a step
    // no longer moves it) is answered like invalid limits.
    return limitsHandler(script, areWrapLimitsValid, wrapIntoRange);
}

Status limitHandler(ScriptCall& script) {
    return limitsHandler(script, areClampLimitsValid,
                         [](double value, double minLimit, double maxLimit) {
                             return std::optional<double>(clampToLimits(value, minLimit, maxLimit));
                         });
}

Status sgnHandler(ScriptCall& script) {
    return oneValueHandler(script,
                           [](double value) { return std::optional<int32_t>(signOf(value)); });
}

Status floorHandler(ScriptCall& script) {
    return oneValueHandler(script, floorToInteger);
}

Status ceilingHandler(ScriptCall& script) {
    return oneValueHandler(script, ceilingToInteger);
}
