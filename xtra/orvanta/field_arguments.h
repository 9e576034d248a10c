// Reading script arguments into camera fields one by one, so that a refused argument never
// leaves a half-written value behind.
#pragma once

#include <initializer_list>

#include "xtra/orvanta/script_call.h"

// Converts element `element` into `field` through a local: the field receives the value only
// once it is converted, and keeps its old one when the argument is refused (then with
// errInvalidParameter stored and the refusal's status returned). `converted` receives the value
// as well, read once right after the host wrote it, for a caller that goes on computing with it.
inline Status readIntoField(ScriptCall& script, int element, double& field, double& converted) {
    double value = field;
    const Status status = script.readArgument(element, &value);
    if (status != StatusOk) {
        script.resultSymbol(ErrInvalidParameter);
        return status;
    }
    field = value;
    converted = value;
    return StatusOk;
}

// Converts the arguments from element `first` on into the given fields, in order, each as
// readIntoField does: the fields before a refused argument hold their new values, the refused
// one and those after it keep their old ones. Returns the refused conversion's status (with
// errInvalidParameter stored), else 0.
inline Status readIntoFields(ScriptCall& script, int first, std::initializer_list<double*> fields) {
    int element = first;
    for (double* field : fields) {
        double converted;
        const Status status = readIntoField(script, element, *field, converted);
        if (status != StatusOk) {
            return status;
        }
        ++element;
    }
    return StatusOk;
}
