// A host as lean as a host can be, for timing the shipped SCRIPT.x32 from outside, on the host
// interfaces as the host declares them (host_abi.h). A float value is the value record's own 8
// bytes (the double itself), a point is a slot of a fixed table, nothing is allocated per value
// and releasing a value does nothing.
#pragma once

#include <cstdint>

#include "bench/shipped/host_common.h"

namespace lean {

using hostabi::Value;

// A point value: a slot of this table, two items of 8 bytes each.
struct PointSlot {
    Value item[2];
};
constexpr uint32_t PointSlots = 64;
constexpr uint32_t PointTag = 0x7FF80000u | 0x0000BEEFu;
constexpr uint32_t SymbolTag = 0x7FF80000u | 0x00005EEDu;

// Only ValueServices, ListServices and AuxServices are offered; the presentation service is
// not, so "new" keeps the 800 x 600 stage's centre (400, 300).
class LeanHost : public hostabi::CountingHost {
  public:
    LeanHost();
    const char* name() const override { return "lean"; }

    Value floatValue(double number) const override;
    bool floatOf(const Value& value, double& number) const override;
    bool pointOf(const Value& value, double& h, double& v) const override;
    bool isSymbol(const Value& value, const char* text) const override;
    std::vector<Misuse> misuse() const override { return {}; }
};

}  // namespace lean
