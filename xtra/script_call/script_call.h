// The one pattern every method handler follows: reading arguments, building scalar, symbol, list
// and point results, and reporting errors, all through the object's host links.
#pragma once

#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xtra/boundary/host_interfaces.h"
#include "xtra/script_call/host_links.h"

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

// A copy of a host value, moved as one 8-byte unit (why: bench/shipped/codegen_notes.md).
inline HostValue copyOf(const HostValue& value) {
    HostValue copy;
#if defined(__SSE2__)
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&copy),
                     _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&value)));
#else
    copy = value;
#endif
    return copy;
}

// A list result's three numbers, in order (x, y, z or pitch, yaw, roll).
struct ListOfThree {
    double first, second, third;
};

class ScriptCall {
  public:
    ScriptCall(const HostLinks& links, CallRecord* call) : links_(links), call_(call) {}

    // True when the object holds its value link, which every method needs.
    bool canRun() const { return links_.valueServices != nullptr; }

    // Converts element `element` of the argument array into `place` and returns the
    // conversion's status; nothing is stored in the result. The host's array is read through a
    // copy; the module never writes into it. Inline, as are the float and point results: they
    // are the whole of a projection's dealings with the host.
    Status readArgument(int element, double* place) {
        const HostValue argument = copyOf(call_->arguments[element]);
        ValueServices* values = links_.valueServices;
        return values->ops->ValueToFloat(values, &argument, place);
    }

    // Both read the arguments from element `first` on, in order; the first refusal stops the
    // reading, stores the error symbol and returns the refusal's status, else they return 0.
    // They differ in what a refusal leaves: readArguments converts straight into its places, so
    // the refused place holds whatever the host left there; readIntoFields goes through a local,
    // so the refused field keeps its old value. Places before the refused one hold new values.
    Status readArguments(int first, std::initializer_list<double*> places, const char* errorSymbol);
    Status readIntoFields(int first, std::initializer_list<double*> fields) {
        int element = first;
        for (double* field : fields) {
            double converted;
            const Status status = readIntoField(element, *field, converted);
            if (status != StatusOk) {
                return status;
            }
            ++element;
        }
        return StatusOk;
    }

    // One field as readIntoFields reads it, errInvalidParameter being its error symbol.
    // `converted` receives the value as well, read once right after the host wrote it, for a
    // caller that goes on computing with it.
    Status readIntoField(int element, double& field, double& converted) {
        double value = field;
        const Status status = readArgument(element, &value);
        if (status != StatusOk) {
            resultSymbol(ErrInvalidParameter);
            return status;
        }
        field = value;
        converted = value;
        return StatusOk;
    }

    void resultFloat(double number) {
        ValueServices* values = links_.valueServices;
        values->ops->FloatToValue(values, number, &call_->result);
    }
    void resultInteger(int32_t number);
    void resultSymbol(const char* text);

    // A new list of three floats in the result. When no list can be made (or the object has
    // no list link) the result becomes `errorSymbol`. Returns 0 either way.
    Status resultList(const ListOfThree& values, const char* errorSymbol);

    // A host point whose items 1 and 2 are floats. Needs the list link; hasListLink() first.
    void resultPoint(double h, double v) {
        ValueServices* values = links_.valueServices;
        const HostPoint origin{0, 0};
        values->ops->PointToValue(values, &origin, &call_->result);
        setPointItem(1, h);
        setPointItem(2, v);
    }
    bool hasListLink() const { return links_.listServices != nullptr; }

  private:
    // Item `index` of the point in the result becomes a float made for it, then given back.
    void setPointItem(int32_t index, double number) {
        ValueServices* values = links_.valueServices;
        ListServices* lists = links_.listServices;
        HostValue item{};
        values->ops->FloatToValue(values, number, &item);
        lists->ops->SetListItem(lists, &call_->result, index, &item);
        values->ops->ReleaseValue(values, &item);
    }

    const HostLinks& links_;
    CallRecord* call_;
};
