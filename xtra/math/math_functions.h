// The utility math of the global script handlers, as pure functions on doubles.
#pragma once

#include <cstdint>
#include <optional>

// The domain of asin and acos: -1 <= value <= 1, both ends included; NaN is outside.
bool isInArcDomain(double value);

// constrain's limits: minLimit < maxLimit, strictly; a NaN limit is invalid.
bool areWrapLimitsValid(double minLimit, double maxLimit);

// Moves value by the width maxLimit - minLimit into [minLimit, maxLimit), one rounded step at a
// time: first down while value >= maxLimit, then up while value < minLimit. The answer is
// exactly what those steps give (step-by-step rounding, not an exact remainder), however many
// steps there are; runs of steps of equal size are taken at once. Empty when the steps would
// never end: an infinite value, or one so large that a step no longer changes it. A NaN value
// ends at once and comes back as NaN. Limits must be valid.
std::optional<double> wrapIntoRange(double value, double minLimit, double maxLimit);

// limit's limits: minLimit <= maxLimit; equal limits are allowed, a NaN limit is not.
bool areClampLimitsValid(double minLimit, double maxLimit);

// minLimit below the range, maxLimit above it, value otherwise. A NaN value gives minLimit.
double clampToLimits(double value, double minLimit, double maxLimit);

// -1 below zero, 1 otherwise: zero of either sign gives 1, NaN gives -1.
int32_t signOf(double value);

// Rounded toward minus or plus infinity, truncated to 64 bits, and answered as the low 32 bits
// taken as signed (3000000000.5 floors to -1294967296). Empty for NaN, an infinity, or an
// integral value outside the 64-bit range.
std::optional<int32_t> floorToInteger(double value);
std::optional<int32_t> ceilingToInteger(double value);
