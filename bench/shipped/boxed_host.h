// A third host for timing the shipped SCRIPT.x32, of the kind many script engines are: values
// NaN-boxed and moved whole (host_abi.h declares the interfaces):
//
// - a value is one 8-byte word: a double, unless its upper word marks a boxed type (void,
//   integer, symbol, point), whose lower word then holds the integer, the symbol or the point's
//   slot. A float that is itself a NaN is stored as the one quiet NaN, so no float reads as boxed;
// - every value, and the point record PointToValue is handed, is loaded with one 8-byte load and
//   stored with one 8-byte store, its upper word taken from the register, as an engine whose
//   values are 64-bit words does;
// - ValueToFloat accepts integers as numbers;
// - a point is a slot of a table handed out through a free list; SetListItem checks the point,
//   the index and the item; ReleaseValue gives a point's slot back and stores void over the
//   record.
//
// Misuse is counted as the tagged host counts it (host_common.h) and read with misuse().
#pragma once

#include <cstdint>
#include <vector>

#include "bench/shipped/host_common.h"

namespace boxed {

using hostabi::Value;

// Upper words of the boxed types: negative quiet NaNs with a payload.
constexpr uint32_t BoxMask = 0xFFFFFF00u;
constexpr uint32_t BoxBase = 0xFFF90000u;
constexpr uint32_t VoidBox = BoxBase | 0u;
constexpr uint32_t IntegerBox = BoxBase | 1u;
constexpr uint32_t SymbolBox = BoxBase | 2u;
constexpr uint32_t PointBox = BoxBase | 3u;

class BoxedHost : public hostabi::CountingHost {
  public:
    BoxedHost();
    const char* name() const override { return "boxed"; }

    Value floatValue(double number) const override;
    bool floatOf(const Value& value, double& number) const override;
    bool pointOf(const Value& value, double& h, double& v) const override;
    bool isSymbol(const Value& value, const char* text) const override;
    // Includes the points taken and not given back so far.
    std::vector<Misuse> misuse() const override;
};

}  // namespace boxed
