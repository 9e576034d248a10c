// A second host for timing the shipped SCRIPT.x32, on the host interfaces as the host declares
// them (host_abi.h), storing and handing over its values the way much 32-bit C code does, where
// the lean host (lean_host.h) does the least a host can:
//
// - a value is two 32-bit words: a float is its double's two words; any other value is a NaN
//   whose high word is a type tag (void, integer, symbol, point) and whose low word the payload.
//   A float that is itself a NaN is stored as the one quiet NaN, so no float reads as a tag;
// - every operation reads the tag word first and checks it before it copies anything; a double
//   is read and written word by word, as two 4-byte loads and two 4-byte stores;
// - ValueToFloat accepts integers as numbers;
// - a point is a slot taken from a free-list table; SetListItem checks the point, the index and
//   the item; ReleaseValue gives a point's slot back and writes the void value over the record.
//
// What the module does wrong with the host's values is counted, never fatal, and read with
// misuse().
#pragma once

#include <cstdint>
#include <vector>

#include "bench/shipped/host_common.h"

namespace tagged {

using hostabi::Value;

// High words of the values that are not floats: negative quiet NaNs with a payload.
constexpr uint32_t TagMask = 0xFFFFFF00u;
constexpr uint32_t TagBase = 0xFFFF0000u;
constexpr uint32_t VoidTag = TagBase | 0u;
constexpr uint32_t IntegerTag = TagBase | 1u;
constexpr uint32_t SymbolTag = TagBase | 2u;
constexpr uint32_t PointTag = TagBase | 3u;

// The host's objects, as the lean host offers them: ValueServices, ListServices and
// AuxServices, no presentation service.
class TaggedHost : public hostabi::CountingHost {
  public:
    TaggedHost();
    const char* name() const override { return "tagged"; }

    Value floatValue(double number) const override;
    bool floatOf(const Value& value, double& number) const override;
    bool pointOf(const Value& value, double& h, double& v) const override;
    bool isSymbol(const Value& value, const char* text) const override;

    // Includes the points taken and not given back so far.
    std::vector<Misuse> misuse() const override;
};

}  // namespace tagged
