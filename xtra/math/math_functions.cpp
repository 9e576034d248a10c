#include "xtra/math/math_functions.h"

#include <cmath>
#include <cstdint>

namespace {

// ---- constrain: the step-by-step reduction, taken in runs.
//
// Within one stretch of equally spaced doubles (same sign and exponent; subnormals share the
// spacing of the smallest normal exponent) every double is N * u for an integer N, and a step
// by the width rounds the exact N -/+ width/u to the nearest integer. So the step is the same
// whole number of spacings each time, except on an exact tie (width/u ending in .5): then
// ties-to-even makes every result even, and from an even N the step is again constant. Hence
// once a value and the one before it were both reached by steps rounded on one stretch's grid,
// every further step that ends strictly inside that stretch has the same size, and a run of
// them is one integer subtraction. Steps that leave a stretch are taken one by one; there are
// a handful per stretch and about 4200 stretches, so the reduction ends quickly, whatever the
// number of steps it stands for.

constexpr int64_t LowerEndSpacings = int64_t{1} << 52;  // |N| at a normal stretch's lower end
constexpr int64_t UpperEndSpacings = int64_t{1} << 53;  // |N| at every stretch's upper end
constexpr int SmallestNormalExponent = -1022;
constexpr int SignificandBits = 52;

struct Stretch {
    bool negative;
    int exponent;  // of the stretch's lower end; subnormals use the smallest normal exponent

    bool operator==(const Stretch& other) const {
        return negative == other.negative && exponent == other.exponent;
    }
    double spacing() const { return std::ldexp(1.0, exponent - SignificandBits); }
    // The lowest stretch reaches down to zero.
    int64_t lowerEnd() const { return exponent == SmallestNormalExponent ? 0 : LowerEndSpacings; }
    // Strictly between the ends: a step that ends here was rounded on this stretch's grid.
    bool holdsStrictly(int64_t magnitude) const {
        return magnitude > lowerEnd() && magnitude < UpperEndSpacings;
    }
};

Stretch stretchOf(double x) {
    const int exponent = x == 0.0 ? SmallestNormalExponent : std::ilogb(x);
    return Stretch{std::signbit(x),
                   exponent < SmallestNormalExponent ? SmallestNormalExponent : exponent};
}

int64_t magnitudeOf(int64_t n) {
    return n < 0 ? -n : n;
}

// How many further steps, from `next` onwards, one run can take: those that end strictly inside
// the stretch and start from a value for which the loop goes on. `step` is in spacings.
template <typename Continues>
int64_t runLength(const Stretch& stretch, int64_t n, int64_t step, Continues continues) {
    const double spacing = stretch.spacing();
    const auto valueAfter = [&](int64_t k) { return static_cast<double>(n + k * step) * spacing; };
    const int64_t size = magnitudeOf(step);
    const int64_t magnitude = magnitudeOf(n);
    const bool towardsZero = (step < 0) != (n < 0);
    const int64_t room = towardsZero ? (magnitude - stretch.lowerEnd() - 1) / size
                                     : (UpperEndSpacings - magnitude - 1) / size;
    if (room == 0 || !continues(valueAfter(0))) {
        return 0;
    }
    // The loop's condition holds up to some k and fails after (the run is monotone): find the
    // last k in [0, room] where it holds; the step from there is taken too, if room allows.
    int64_t low = 0;
    int64_t high = room;
    while (low < high) {
        const int64_t middle = low + (high - low + 1) / 2;
        if (continues(valueAfter(middle))) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low < room ? low + 1 : room;
}

// One loop of the reduction: while `continues(r)`, r = r + delta (delta is -width or +width).
// Empty when a step leaves r unchanged: the loop would then repeat that step forever. Otherwise
// r moves strictly one way through finitely many doubles, so the loop ends.
template <typename Continues>
std::optional<double> reduce(double r, double delta, Continues continues) {
    bool haveEarlier = false;
    double earlier = 0.0;  // the value r came from by a single step
    while (continues(r)) {
        const double next = r + delta;
        if (next == r) {
            return std::nullopt;
        }
        const Stretch stretch = stretchOf(next);
        if (haveEarlier && std::isfinite(earlier) && std::isfinite(next) &&
            stretchOf(earlier) == stretch && stretchOf(r) == stretch) {
            // Whole multiples of the spacing, below 2^53 of them: these divisions are exact.
            const double spacing = stretch.spacing();
            const auto n = static_cast<int64_t>(next / spacing);
            const auto from = static_cast<int64_t>(r / spacing);
            if (stretch.holdsStrictly(magnitudeOf(from)) && stretch.holdsStrictly(magnitudeOf(n))) {
                const int64_t step = n - from;
                const int64_t run = runLength(stretch, n, step, continues);
                r = static_cast<double>(n + run * step) * spacing;
                haveEarlier = false;
                continue;
            }
        }
        earlier = r;
        haveEarlier = true;
        r = next;
    }
    return r;
}

}  // namespace

bool isInArcDomain(double value) {
    return value >= -1.0 && value <= 1.0;
}

bool areWrapLimitsValid(double minLimit, double maxLimit) {
    return minLimit < maxLimit;
}

std::optional<double> wrapIntoRange(double value, double minLimit, double maxLimit) {
    const double width = maxLimit - minLimit;
    const std::optional<double> below =
        reduce(value, -width, [maxLimit](double r) { return r >= maxLimit; });
    if (!below) {
        return std::nullopt;
    }
    return reduce(*below, width, [minLimit](double r) { return r < minLimit; });
}

bool areClampLimitsValid(double minLimit, double maxLimit) {
    return minLimit <= maxLimit;
}

double clampToLimits(double value, double minLimit, double maxLimit) {
    if (!(value >= minLimit)) {
        return minLimit;
    }
    if (value > maxLimit) {
        return maxLimit;
    }
    return value;
}

int32_t signOf(double value) {
    return value >= 0.0 ? 1 : -1;
}

namespace {

// Integral doubles that truncate to a 64-bit integer: [-2^63, 2^63).
constexpr double Int64Lowest = -9223372036854775808.0;
constexpr double Int64End = 9223372036854775808.0;

std::optional<int32_t> lowWordOf(double integral) {
    if (!(integral >= Int64Lowest && integral < Int64End)) {
        return std::nullopt;
    }
    const auto wide = static_cast<int64_t>(integral);
    // The low 32 bits as signed, without an out-of-range conversion.
    const uint32_t low = static_cast<uint32_t>(static_cast<uint64_t>(wide));
    return low <= uint32_t{INT32_MAX}
               ? static_cast<int32_t>(low)
               : static_cast<int32_t>(static_cast<int64_t>(low) - (int64_t{1} << 32));
}

}  // namespace

std::optional<int32_t> floorToInteger(double value) {
    return lowWordOf(std::floor(value));
}

std::optional<int32_t> ceilingToInteger(double value) {
    return lowWordOf(std::ceil(value));
}
