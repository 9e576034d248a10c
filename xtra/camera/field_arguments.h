// Reading script arguments into camera fields one by one, so that a refused argument never
// leaves a half-written value behind.
#pragma once

#include <initializer_list>

#include "xtra/frame/script_call.h"

// Converts the arguments from element `first` on into the given fields, in order. Each value
// goes through a local and reaches its field only once converted: the fields before a refused
// argument hold their new values, the refused one and those after it keep their old ones.
// Returns the refused conversion's status (with errInvalidParameter stored), else 0.
inline Status readIntoFields(ScriptCall& script, int first, std::initializer_list<double*> fields) {
    int element = first;
    for (double* field : fields) {
        double value = *field;
        const Status status = script.readArguments(element, {&value}, ErrInvalidParameter);
        if (status != StatusOk) {
            return status;
        }
        *field = value;
        ++element;
    }
    return StatusOk;
}
