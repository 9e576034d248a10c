#include "xtra/math/math_functions.h"

#include <cmath>
#include <cstdint>

namespace {

// ---- constrain.
//
// The contract is the plain loop, each step rounded to a double:
//
//     while (r >= maxLimit) r = r - width;
//     then while (r < minLimit) r = r + width;
//
// Taken literally it can run for up to about 2^52 steps (a huge value in a narrow range). The
// reduction below answers exactly what the loop answers, taking runs of equal steps at once.
//
// Why there are such runs. Within one binade (the doubles of one sign and one exponent; the
// subnormals share the ulp of the smallest normal binade) every double is a whole number of
// ulps, n ulp. A step r + delta whose exact sum lies strictly inside the binade is rounded to
// the nearest whole number of ulps, so it moves r by delta / ulp rounded: the same number of ulps
// each time, except on an exact tie (delta / ulp ending in .5), where ties-to-even makes every
// result even, and from an even count the step is again the same. So once a value and the one
// before it were both reached by steps rounded on one binade's grid, every further step that
// ends strictly inside that binade has the same size, and a run of them is one integer
// multiplication. Steps that cross into another binade are taken one by one; there are a handful
// per binade and about 4200 binades, so the reduction ends quickly however many steps it stands
// for.

constexpr int64_t UlpsAtBinadeStart = int64_t{1} << 52;  // |n| of a normal binade's lowest value
constexpr int64_t UlpsAtBinadeEnd = int64_t{1} << 53;    // |n| of the next binade's lowest value
constexpr int SmallestNormalExponent = -1022;
constexpr int SignificandBits = 52;

struct Binade {
    bool negative;
    int exponent;  // the subnormals count as the smallest normal binade

    bool operator==(const Binade& other) const {
        return negative == other.negative && exponent == other.exponent;
    }
    double ulp() const { return std::ldexp(1.0, exponent - SignificandBits); }
    // The lowest binade reaches down to zero.
    int64_t ulpsAtStart() const {
        return exponent == SmallestNormalExponent ? 0 : UlpsAtBinadeStart;
    }
    // Strictly between the binade's ends: a step that ends here was rounded on its grid.
    bool holdsStrictly(int64_t ulps) const {
        return ulps > ulpsAtStart() && ulps < UlpsAtBinadeEnd;
    }
};

Binade binadeOf(double x) {
    const int exponent = x == 0.0 ? SmallestNormalExponent : std::ilogb(x);
    return Binade{std::signbit(x),
                  exponent < SmallestNormalExponent ? SmallestNormalExponent : exponent};
}

int64_t magnitudeOf(int64_t n) {
    return n < 0 ? -n : n;
}

// How many further steps of `stepUlps` a run takes from the value of `landedUlps` ulps: those
// that end strictly inside the binade and start from a value for which the loop goes on.
template <typename Continues>
int64_t runLength(const Binade& binade, int64_t landedUlps, int64_t stepUlps, Continues continues) {
    const double ulp = binade.ulp();
    const auto valueAfter = [&](int64_t steps) {
        return static_cast<double>(landedUlps + steps * stepUlps) * ulp;
    };
    const int64_t stepSize = magnitudeOf(stepUlps);
    const int64_t landedMagnitude = magnitudeOf(landedUlps);
    const bool towardsZero = (stepUlps < 0) != (landedUlps < 0);
    const int64_t stepsInside = towardsZero
                                    ? (landedMagnitude - binade.ulpsAtStart() - 1) / stepSize
                                    : (UlpsAtBinadeEnd - landedMagnitude - 1) / stepSize;
    if (stepsInside == 0 || !continues(valueAfter(0))) {
        return 0;
    }
    // Along the run the loop's condition holds up to some number of steps and fails after: find
    // the last count in [0, stepsInside] where it holds; the step from there is taken too, if it
    // stays inside.
    int64_t holds = 0;
    int64_t fails = stepsInside;
    while (holds < fails) {
        const int64_t middle = holds + (fails - holds + 1) / 2;
        if (continues(valueAfter(middle))) {
            holds = middle;
        } else {
            fails = middle - 1;
        }
    }
    return holds < stepsInside ? holds + 1 : stepsInside;
}

// One loop of the contract: while `continues(r)`, r = r + delta (delta is -width or +width).
// Empty when a step leaves r unchanged: the loop would then repeat that step forever. Otherwise
// r moves strictly one way through finitely many doubles, so the loop ends.
template <typename Continues>
std::optional<double> stepWhile(double r, double delta, Continues continues) {
    bool havePrevious = false;
    double previous = 0.0;  // the value r came from by a single step
    while (continues(r)) {
        const double next = r + delta;
        if (next == r) {
            return std::nullopt;
        }
        const Binade binade = binadeOf(next);
        if (havePrevious && std::isfinite(previous) && std::isfinite(next) &&
            binadeOf(previous) == binade && binadeOf(r) == binade) {
            // Whole numbers of ulps, below 2^53 of them: these divisions are exact.
            const double ulp = binade.ulp();
            const auto landedUlps = static_cast<int64_t>(next / ulp);
            const auto startUlps = static_cast<int64_t>(r / ulp);
            if (binade.holdsStrictly(magnitudeOf(startUlps)) &&
                binade.holdsStrictly(magnitudeOf(landedUlps))) {
                const int64_t stepUlps = landedUlps - startUlps;
                const int64_t steps = runLength(binade, landedUlps, stepUlps, continues);
                r = static_cast<double>(landedUlps + steps * stepUlps) * ulp;
                havePrevious = false;
                continue;
            }
        }
        previous = r;
        havePrevious = true;
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
        stepWhile(value, -width, [maxLimit](double r) { return r >= maxLimit; });
    if (!below) {
        return std::nullopt;
    }
    return stepWhile(*below, width, [minLimit](double r) { return r < minLimit; });
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
