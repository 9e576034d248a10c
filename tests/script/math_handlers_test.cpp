// Methods 20 to 26, the global math handlers, as a script calls them: values, error symbols
// and statuses, and the edges where a naive implementation would hang or overflow.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "tests/support/camera_view.h"

namespace test {
namespace {

const double Infinity = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

double uniform(std::mt19937& random, double low, double high) {
    return low + (high - low) * (static_cast<double>(random()) / 4294967296.0);
}

// The reduction exactly as a script writer would state it, with a step budget.
bool stepByStep(double value, double minLimit, double maxLimit, long budget, double* out) {
    const double width = maxLimit - minLimit;
    double r = value;
    while (r >= maxLimit) {
        r = r - width;
        if (--budget < 0) return false;
    }
    while (r < minLimit) {
        r = r + width;
        if (--budget < 0) return false;
    }
    *out = r;
    return true;
}

class MathHandlersTest : public CameraFixture {
  protected:
    void SetUp() override { createCamera(); }

    double real(int32_t method, std::initializer_list<Arg> args) {
        Answer answer = call(method, args);
        EXPECT_EQ(answer.status, 0) << answer.describe();
        EXPECT_TRUE(answer.isFloat()) << answer.describe();
        return answer.real();
    }
    int32_t integer(int32_t method, std::initializer_list<Arg> args) {
        Answer answer = call(method, args);
        EXPECT_EQ(answer.status, 0) << answer.describe();
        EXPECT_TRUE(answer.isInteger()) << answer.describe();
        return answer.integer();
    }
    void expectError(int32_t method, std::initializer_list<Arg> args, const char* symbol,
                     Status status = 0) {
        Answer answer = call(method, args);
        EXPECT_EQ(answer.status, status) << "method " << method;
        EXPECT_TRUE(answer.isSymbol(symbol)) << "method " << method << ": " << answer.describe();
    }
};

TEST_F(MathHandlersTest, ArcSineAndCosineAnswerInRadiansOnTheClosedDomain) {
    EXPECT_EQ(real(Asin, {1.0}), 1.5707963267948966);
    EXPECT_EQ(real(Asin, {-1.0}), -1.5707963267948966);
    EXPECT_EQ(real(Asin, {0.5}), 0.5235987755982989);
    EXPECT_EQ(real(Acos, {-1.0}), 3.141592653589793);
    EXPECT_EQ(real(Acos, {1.0}), 0.0);
    EXPECT_EQ(real(Asin, {Arg::integer(1)}), 1.5707963267948966) << "a float from an integer";
    for (double outside : {1.0000001, -2.0, NaN, Infinity}) {
        expectError(Asin, {outside}, "errParamInvalid");
        expectError(Acos, {outside}, "errParamInvalid");
    }
    expectError(Acos, {Arg::symbol("half")}, "errParamInvalid", sim::StatusNotConvertible);
}

TEST_F(MathHandlersTest, ConstrainWrapsIntoTheHalfOpenRange) {
    EXPECT_EQ(real(Constrain, {370.0, 0.0, 360.0}), 10.0);
    EXPECT_EQ(real(Constrain, {725.0, 0.0, 360.0}), 5.0);
    EXPECT_EQ(real(Constrain, {360.0, 0.0, 360.0}), 0.0);
    EXPECT_EQ(real(Constrain, {-10.0, 0.0, 360.0}), 350.0);
    EXPECT_EQ(real(Constrain, {0.0, 0.0, 360.0}), 0.0);
    EXPECT_EQ(real(Constrain, {-1e-15, 0.0, 360.0}), 360.0) << "one step up, rounded onto max";
    EXPECT_EQ(real(Constrain, {Arg::integer(-725), Arg::integer(-180), Arg::integer(180)}), -5.0);
    for (auto limits : {std::pair<double, double>{3.0, 3.0}, {4.0, 3.0}, {NaN, 3.0}, {0.0, NaN}}) {
        expectError(Constrain, {5.0, limits.first, limits.second}, "errLimitsInvalid");
        expectError(Constrain, {NaN, limits.first, limits.second}, "errLimitsInvalid");
    }
    // A refused argument, even the value, is errLimitsInvalid; the later ones are not read.
    for (int32_t method : {Constrain, Limit}) {
        const int64_t before = host.callCount("ValueToFloat");
        expectError(method, {Arg::symbol("v"), 0.0, 1.0}, "errLimitsInvalid",
                    sim::StatusNotConvertible);
        EXPECT_EQ(host.callCount("ValueToFloat") - before, 1);
    }
}

// Wherever the steps end, constrain gives exactly their result, rounding included.
TEST_F(MathHandlersTest, ConstrainAgreesWithTheStepsWhereverTheyEnd) {
    std::mt19937 random(31337);
    int compared = 0;
    for (int i = 0; i < 1500; ++i) {
        const int exponent = static_cast<int>(uniform(random, -60.0, 60.0));
        const double scale = std::ldexp(1.0, exponent);
        // Widths of a whole number of spacings plus a half make every rounding a tie.
        const double spacing = std::ldexp(scale, -52);
        const double width = i % 3 == 0 ? (std::floor(uniform(random, 1.0, 40.0)) + 0.5) * spacing
                                        : uniform(random, 1e-6, 2.0) * scale;
        const double minLimit = uniform(random, -2.0, 2.0) * scale;
        const double maxLimit = minLimit + width;
        if (!(minLimit < maxLimit)) continue;
        const double steps = std::floor(uniform(random, 0.0, 20000.0));
        const double value = i % 2 == 0 ? maxLimit + steps * (maxLimit - minLimit)
                                        : minLimit - steps * (maxLimit - minLimit);
        double expected = 0.0;
        if (!stepByStep(value, minLimit, maxLimit, 100000, &expected)) continue;
        ++compared;
        EXPECT_EQ(real(Constrain, {value, minLimit, maxLimit}), expected)
            << std::hexfloat << value << " in [" << minLimit << ", " << maxLimit << ")";
    }
    EXPECT_GT(compared, 1000);
}

TEST_F(MathHandlersTest, ConstrainEndsWhereTheStepsNeverWould) {
    // A step of 1 from 2^53 + 2 rounds down to 2^53 and the steps then run exactly to 0; from
    // 2^53 + 4 it is a tie that rounds back to 2^53 + 4, forever.
    const double twoTo53 = 9007199254740992.0;
    EXPECT_EQ(real(Constrain, {twoTo53 + 2.0, 0.0, 1.0}), 0.0);
    expectError(Constrain, {twoTo53 + 4.0, 0.0, 1.0}, "errLimitsInvalid");
    expectError(Constrain, {-twoTo53 - 4.0, 0.0, 1.0}, "errLimitsInvalid");
    // 1e15 has a spacing of 1/8: a width of 1/1000 no longer moves it.
    expectError(Constrain, {1e15, 0.0, 0.001}, "errLimitsInvalid");
    expectError(Constrain, {Infinity, 0.0, 360.0}, "errLimitsInvalid");
    expectError(Constrain, {-Infinity, 0.0, 360.0}, "errLimitsInvalid");

    // Astronomically many exact steps: a width of 1/2 divides every spacing on the way.
    EXPECT_EQ(real(Constrain, {1099511627776.25, 0.0, 0.5}), 0.25);   // 2^40 + 1/4
    EXPECT_EQ(real(Constrain, {-1099511627776.25, 0.0, 0.5}), 0.25);  // 2^41 + 1 steps up
    // About 1e15 rounded steps: the answer lies in the range.
    const double wrapped = real(Constrain, {1e12, 0.0, 0.001});
    EXPECT_GE(wrapped, 0.0);
    EXPECT_LT(wrapped, 0.001);

    // NaN fails both loop tests at once, so the steps end with NaN.
    EXPECT_TRUE(std::isnan(real(Constrain, {NaN, 0.0, 360.0})));
    // An infinite width: at most one step per loop, whose result is kept.
    EXPECT_EQ(real(Constrain, {5.0, 0.0, Infinity}), 5.0);
    EXPECT_EQ(real(Constrain, {-5.0, 0.0, Infinity}), Infinity);
}

TEST_F(MathHandlersTest, LimitClampsIntoTheClosedRange) {
    EXPECT_EQ(real(Limit, {5.0, 3.0, 3.0}), 3.0);
    EXPECT_EQ(real(Limit, {10.0, 0.0, 5.0}), 5.0);
    EXPECT_EQ(real(Limit, {-1.0, 0.0, 5.0}), 0.0);
    EXPECT_EQ(real(Limit, {Arg::integer(2), Arg::integer(0), Arg::integer(5)}), 2.0);
    EXPECT_EQ(real(Limit, {NaN, -4.0, 5.0}), -4.0) << "NaN gives the lower limit";
    // A value equal to a limit is answered as itself, down to the sign of a zero.
    EXPECT_TRUE(std::signbit(real(Limit, {-0.0, -1.0, 0.0})));
    EXPECT_FALSE(std::signbit(real(Limit, {0.0, -1.0, -0.0})));
    expectError(Limit, {1.0, 5.0, 0.0}, "errLimitsInvalid");
    expectError(Limit, {1.0, NaN, 5.0}, "errLimitsInvalid");
    expectError(Limit, {1.0, 0.0, NaN}, "errLimitsInvalid");
}

TEST_F(MathHandlersTest, SgnIsMinusOneOrOne) {
    EXPECT_EQ(integer(Sgn, {Arg::integer(0)}), 1);
    EXPECT_EQ(integer(Sgn, {-0.0}), 1);
    EXPECT_EQ(integer(Sgn, {-0.001}), -1);
    EXPECT_EQ(integer(Sgn, {Arg::integer(7)}), 1);
    EXPECT_EQ(integer(Sgn, {NaN}), -1);
    EXPECT_EQ(integer(Sgn, {-Infinity}), -1);
    expectError(Sgn, {Arg::string("-")}, "errParamInvalid", sim::StatusNotConvertible);
}

TEST_F(MathHandlersTest, FloorAndCeilingRoundToIntegers) {
    EXPECT_EQ(integer(Floor, {-2.5}), -3);
    EXPECT_EQ(integer(Ceiling, {-2.5}), -2);
    EXPECT_EQ(integer(Floor, {-0.5}), -1);
    EXPECT_EQ(integer(Ceiling, {-0.5}), 0);
    EXPECT_EQ(integer(Floor, {2.999}), 2);
    EXPECT_EQ(integer(Ceiling, {2.001}), 3);
    EXPECT_EQ(integer(Floor, {Arg::integer(7)}), 7);
    EXPECT_EQ(integer(Ceiling, {Arg::integer(7)}), 7);
    // Within 64 bits the low word is answered, taken as signed.
    EXPECT_EQ(integer(Floor, {3000000000.5}), -1294967296);  // 3000000000 - 2^32
    EXPECT_EQ(integer(Floor, {4294967296.7}), 0);            // 2^32
    EXPECT_EQ(integer(Floor, {-2147483648.5}), 2147483647);  // -2^31 - 1 wraps to the top
    EXPECT_EQ(integer(Ceiling, {2147483647.5}), -2147483648);
    EXPECT_EQ(integer(Floor, {-9223372036854775808.0}), 0);       // -2^63
    EXPECT_EQ(integer(Ceiling, {9223372036854774784.0}), -1024);  // 2^63 - 1024
    for (int32_t method : {Floor, Ceiling}) {
        for (double outside :
             {9223372036854775808.0, -9223372036854777856.0, 1e300, Infinity, -Infinity, NaN}) {
            expectError(method, {outside}, "errParamInvalid");
        }
        expectError(method, {Arg::symbol("pi")}, "errParamInvalid", sim::StatusNotConvertible);
    }
}

TEST_F(MathHandlersTest, HandlersLeaveTheCameraAlone) {
    const CameraState before = camera();
    call(Asin, {0.5});
    call(Acos, {2.0});
    call(Constrain, {1e15, 0.0, 0.001});
    call(Limit, {1.0, 0.0, 2.0});
    call(Sgn, {-1.0});
    call(Floor, {NaN});
    call(Ceiling, {1.5});
    EXPECT_EQ(std::memcmp(&before, &camera(), sizeof(CameraState)), 0);
}

}  // namespace
}  // namespace test
