// The one pattern every method handler follows: reaching the camera, reading arguments,
// building scalar, symbol, list and point results, and reporting errors.
#pragma once

#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xtra/camera_class/camera_instance.h"

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

// A copy of a host value moved as one 8-byte unit. Copied as a pair of 32-bit words (what the
// compiler makes of the struct on the 32-bit build), it is stored in two halves, and a host that
// reads the value back as one 8-byte load must wait for both stores to retire instead of taking
// the data from the store buffer: a stall on every argument.
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

class ScriptCall {
  public:
    ScriptCall(InterfaceObject* self, CallRecord* call)
        : self_(self), instance_(cameraInstanceOf(self)), call_(call) {}

    CameraState& camera() { return instance_.camera; }
    InterfaceObject* self() { return self_; }  // for the camera's internal operations

    // True when the camera holds its value link, which every method needs.
    bool canRun() const { return instance_.links.valueServices != nullptr; }

    // Converts element `element` of the argument array into `place` and returns the
    // conversion's status; nothing is stored in the result. The host's array is read through a
    // copy; the module never writes into it. Inline, as are the float and point results: they
    // are the whole of a projection's dealings with the host.
    Status readArgument(int element, double* place) {
        const HostValue argument = copyOf(call_->arguments[element]);
        ValueServices* values = instance_.links.valueServices;
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
        ValueServices* values = instance_.links.valueServices;
        values->ops->FloatToValue(values, number, &call_->result);
    }
    void resultInteger(int32_t number);
    void resultSymbol(const char* text);

    // A new list of three floats in the result. When no list can be made (or the camera has
    // no list link) the result becomes `errorSymbol`. Returns 0 either way.
    Status resultList(const Vec3& values, const char* errorSymbol);

    // A host point whose items 1 and 2 are floats. Needs the list link; hasListLink() first.
    void resultPoint(double h, double v) {
        ValueServices* values = instance_.links.valueServices;
        const HostPoint origin{0, 0};
        values->ops->PointToValue(values, &origin, &call_->result);
        setPointItem(1, h);
        setPointItem(2, v);
    }
    bool hasListLink() const { return instance_.links.listServices != nullptr; }

  private:
    // Item `index` of the point in the result becomes a float made for it, then given back.
    void setPointItem(int32_t index, double number) {
        ValueServices* values = instance_.links.valueServices;
        ListServices* lists = instance_.links.listServices;
        HostValue item{};
        values->ops->FloatToValue(values, number, &item);
        lists->ops->SetListItem(lists, &call_->result, index, &item);
        values->ops->ReleaseValue(values, &item);
    }

    InterfaceObject* self_;
    // The instance, not its camera and links apart: three words, which the compiler stores one
    // by one; a fourth made it pack them into one 16-byte store, which the handler's 4-byte loads
    // then had to wait for.
    CameraInstance& instance_;
    CallRecord* call_;
};
