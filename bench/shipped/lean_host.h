// A host as lean as a host can be, for timing the shipped SCRIPT.x32 from outside, on the host
// interfaces as the host declares them (host_abi.h). A float value
// is the value record's own 8 bytes (the double itself), a point is a slot of a fixed table,
// nothing is allocated per value and releasing a value does nothing.
#pragma once

#include <cstdint>

#include "bench/shipped/host_abi.h"

namespace lean {

using hostabi::ListServices;
using hostabi::Object;
using hostabi::Value;
using hostabi::ValueServices;

// A point value: a slot of this table, two items of 8 bytes each.
struct PointSlot {
    Value item[2];
};
constexpr uint32_t PointSlots = 64;
constexpr uint32_t PointTag = 0x7FF80000u | 0x0000BEEFu;
constexpr uint32_t SymbolTag = 0x7FF80000u | 0x00005EEDu;

// The host's objects. Only ValueServices, ListServices and AuxServices are offered; the
// presentation service is not, so "new" keeps the 800 x 600 stage's centre (400, 300).
class Host {
  public:
    Host();
    Object* hostServices() { return &hostServices_; }
    Object* allocator() { return &allocator_; }
    ValueServices* values() { return reinterpret_cast<ValueServices*>(&values_); }
    ListServices* lists() { return reinterpret_cast<ListServices*>(&lists_); }

    // Values as the host makes them for a script's call.
    static Value floatValue(double number);
    static double floatOf(const Value& value);
    const PointSlot& pointOf(const Value& value) const;
    bool isSymbol(const Value& value, const char* text) const;

    // Host books: a leak or a stray call shows here. Every value operation counts its calls
    // (one increment, paid alike by a dispatched call and by its replay).
    enum Operation {
        StringToSymbolCall,
        ReleaseValueCall,
        ValueToFloatCall,
        IntegerToValueCall,
        SymbolToValueCall,
        FloatToValueCall,
        PointToValueCall,
        SetListItemCall,
        OperationCount
    };
    int32_t liveBlocks() const;
    int32_t calls(Operation operation) const;
    void resetCalls();

  private:
    Object hostServices_;
    Object allocator_;
    Object values_;
    Object lists_;
    Object aux_;
};

}  // namespace lean
