// The one pattern every method handler follows: reading arguments, building scalar, symbol, list
// and point results, and reporting errors, all through the object's host links.
#pragma once

#include <cstring>
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

// The double that the host has just written at `place`, read as two 32-bit halves joined in a
// register (why: bench/shipped/codegen_notes.md).
inline double freshDouble(const double* place) {
#if defined(__SSE2__)
    const __m128i low = _mm_loadu_si32(place);
    const __m128i high = _mm_loadu_si32(reinterpret_cast<const char*>(place) + 4);
    return _mm_cvtsd_f64(_mm_castsi128_pd(_mm_unpacklo_epi32(low, high)));
#else
    return *place;
#endif
}

// The symbol made from `text`, stored into `result`: ScriptCall::resultSymbol, out of line.
void storeSymbol(ValueServices* values, HostValue* result, const char* text);

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
    // Both convert straight into their places. They differ in what a refusal leaves:
    // readArguments leaves the refused place as the host left it; readIntoFields puts the
    // refused field's old value back. Places before the refused one hold new values.
    Status readArguments(int first, std::initializer_list<double*> places, const char* errorSymbol);
    Status readIntoFields(int first, std::initializer_list<double*> fields) {
        int element = first;
        for (double* field : fields) {
            const Status status = readIntoField(element, *field);
            if (status != StatusOk) {
                return status;
            }
            ++element;
        }
        return StatusOk;
    }

    // One field as readIntoFields reads it, errInvalidParameter being its error symbol. The old
    // value is held as two words while the host converts (why: bench/shipped/codegen_notes.md).
    // A caller that computes with the new value reads it with freshDouble.
    Status readIntoField(int element, double& field) {
        uint32_t old[2];
        std::memcpy(old, &field, sizeof old);
        const Status status = readArgument(element, &field);
        if (status != StatusOk) {
            std::memcpy(&field, old, sizeof old);
            resultSymbol(ErrInvalidParameter);
            return status;
        }
        return StatusOk;
    }

    void resultFloat(double number) {
        ValueServices* values = links_.valueServices;
        values->ops->FloatToValue(values, number, &call_->result);
    }
    void resultInteger(int32_t number);
    // Inline, so that no handler hands its ScriptCall out of line (why:
    // bench/shipped/codegen_notes.md).
    void resultSymbol(const char* text) { storeSymbol(links_.valueServices, &call_->result, text); }

    // A new list of three floats in the result. When no list can be made (or the object has
    // no list link) the result becomes `errorSymbol`. Returns 0 either way.
    Status resultList(const ListOfThree& values, const char* errorSymbol);

    // A host point in the result, made in two steps: resultPoint makes the point, setPointItems
    // its items 1 and 2, floats of h and v. A handler may compute between the two (why:
    // bench/shipped/codegen_notes.md). Needs the list link; hasListLink() first.
    void resultPoint() {
        // A constant, not a record built on the stack for each call (why:
        // bench/shipped/codegen_notes.md).
        static constexpr HostPoint origin{0, 0};
        ValueServices* values = links_.valueServices;
        values->ops->PointToValue(values, &origin, &call_->result);
    }
    void setPointItems(double h, double v) {
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
