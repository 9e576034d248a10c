// Methods 1 to 15 and the orientation behind them, as a script drives them: defaults after
// "new", degrees at the boundary, aiming, range tests with their fixed replacements, refused
// arguments, the stage-size update, and cameras that lack a host link.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "tests/support/camera_view.h"

namespace test {
namespace {

const double Pi = 4.0 * std::atan(1.0);

class CameraMethodsTest : public CameraFixture {
  protected:
    void SetUp() override {
        host.setStageSize(800, 600);
        createCamera();
    }
    // Calls a setter and answers whether it gave Ok with status 0.
    bool set(int32_t method, std::initializer_list<Arg> args) {
        Answer answer = call(method, args);
        return answer.status == 0 && answer.isSymbol("Ok");
    }
    // Calls a setter expected to refuse with errInvalidParameter and `status`.
    void refuse(int32_t method, std::initializer_list<Arg> args, Status status = 0) {
        Answer answer = call(method, args);
        EXPECT_EQ(answer.status, status) << "method " << method;
        EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
    }
    double real(int32_t method) { return call(method).real(); }
    std::vector<double> degrees() { return call(GetRotation).list(); }
    void expectDegrees(double pitch, double yaw, double roll) {
        const std::vector<double> angles = degrees();
        ASSERT_EQ(angles.size(), 3u);
        EXPECT_NEAR(angles[0], pitch, 1e-12);
        EXPECT_NEAR(angles[1], yaw, 1e-12);
        EXPECT_NEAR(angles[2], roll, 1e-12);
    }
};

TEST_F(CameraMethodsTest, NewCameraAnswersTheDefaultsAndScales) {
    EXPECT_EQ(call(GetPosition).list(), (std::vector<double>{0.0, 2.0, 20.0}));
    EXPECT_EQ(call(GetInterest).list(), (std::vector<double>{0.0, 0.0, 0.0}));
    // The literal default pitch, not the aiming angle: "new" does not re-aim.
    EXPECT_EQ(degrees(), (std::vector<double>{-0.0997 * (180.0 / Pi), 0.0, 0.0}));
    EXPECT_NEAR(degrees()[0], -5.7124, 0.00005);
    EXPECT_EQ(real(GetFieldOfView), 41.539);  // to the last bit
    EXPECT_EQ(real(GetPictureRatio), 1.18);
    EXPECT_EQ(real(GetNearPlane), 0.1);
    EXPECT_EQ(real(GetFarPlane), 32768.0);
    // Both scales come from the half height: 300 / tan(41.539 / 2 degrees).
    EXPECT_NEAR(camera().scaleV, 791.024, 0.0005);
    EXPECT_NEAR(camera().scaleH, 670.359, 0.0005);
    EXPECT_NEAR(camera().scaleV, 300.0 / std::tan(41.539 * Pi / 360.0), 1e-9);
    host.setStageSize(1000, 600);  // the width only places the centre
    call(New);
    EXPECT_EQ(camera().centreH, 500.0);
    EXPECT_NEAR(camera().scaleV, 791.024, 0.0005);
}

TEST_F(CameraMethodsTest, AimingCoversTheSpecialDirections) {
    const double behind = 4.0 * std::atan2(1.0, 1.0);
    struct Case {
        double x, y, z, pitch, yaw;
    } cases[] = {
        {0.0, 2.0, 20.0, -std::atan(0.1), 0.0},
        {0.0, 2.0, -20.0, -std::atan(0.1), behind},
        {-0.0, 2.0, -20.0, -std::atan(0.1), behind},  // +pi for either zero
        {1e-9, 2.0, -20.0, -std::atan(0.1), Pi},      // acos(-1.0 rounded): pi itself
        {-1e-9, 2.0, -20.0, -std::atan(0.1), -Pi},    // and a hair to the left, minus pi
        {10.0, 0.0, 0.0, 0.0, Pi / 2.0},
        {-10.0, 0.0, 0.0, 0.0, -Pi / 2.0},
        {0.0, -5.0, 0.0, Pi / 2.0, 0.0},
        {0.0, 5.0, 0.0, -Pi / 2.0, 0.0},
        {0.0, 0.0, 0.0, 0.0, 0.0},  // standing on the interest
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(set(SetPosition, {c.x, c.y, c.z}));
        EXPECT_NEAR(camera().pitch, c.pitch, 1e-15) << c.x << " " << c.y << " " << c.z;
        EXPECT_NEAR(camera().yaw, c.yaw, 1e-15) << c.x << " " << c.y << " " << c.z;
        if (c.z == -20.0) {  // the interest, behind the start, projects onto the centre
            const std::vector<double> point = call(GetProjection, {0.0, 0.0, 0.0}).point();
            EXPECT_NEAR(point[0], 400.0, 1e-6);
            EXPECT_NEAR(point[1], 300.0, 1e-6);
        }
    }
    EXPECT_EQ(camera().yaw, 0.0) << "standing on the interest";
}

// After aiming, the interest lies on the viewing axis (-sin yaw cos pitch, sin pitch,
// -cos yaw cos pitch), in front, and projects onto the stage centre whatever the roll.
TEST_F(CameraMethodsTest, AimedCameraHasItsInterestOnTheViewingAxis) {
    std::mt19937 random(99);
    const auto uniform = [&random](double low, double high) {
        return low + (high - low) * (static_cast<double>(random()) / 4294967296.0);
    };
    for (int i = 0; i < 500; ++i) {
        const double p[3] = {uniform(-100, 100), uniform(-100, 100), uniform(-100, 100)};
        const double q[3] = {uniform(-100, 100), uniform(-100, 100), uniform(-100, 100)};
        ASSERT_TRUE(set(SetRoll, {uniform(-180, 180)}));
        ASSERT_TRUE(set(SetPosition, {p[0], p[1], p[2]}));
        ASSERT_TRUE(set(SetInterest, {q[0], q[1], q[2]}));
        const std::vector<double> angles = degrees();
        const double pitch = angles[0] * Pi / 180.0, yaw = angles[1] * Pi / 180.0;
        const double axis[3] = {-std::sin(yaw) * std::cos(pitch), std::sin(pitch),
                                -std::cos(yaw) * std::cos(pitch)};
        const double d[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double along = axis[0] * d[0] + axis[1] * d[1] + axis[2] * d[2];
        EXPECT_NEAR(along, length, 1e-9 * length) << "case " << i;  // parallel and in front
        const std::vector<double> point = call(GetProjection, {q[0], q[1], q[2]}).point();
        ASSERT_EQ(point.size(), 2u);
        EXPECT_NEAR(point[0], 400.0, 1e-6) << "case " << i;
        EXPECT_NEAR(point[1], 300.0, 1e-6) << "case " << i;
    }
}

TEST_F(CameraMethodsTest, TrackingFollowsSetInterestAndSetRotation) {
    ASSERT_TRUE(set(SetInterest, {1.0, 1.0, 1.0}));
    ASSERT_TRUE(set(SetRotation, {30.0, 45.0, 10.0}));
    EXPECT_NEAR(camera().pitch, Pi / 6.0, 1e-15);  // held in radians
    // Moving a camera set by angles does not turn it; the interest is kept as set.
    ASSERT_TRUE(set(SetPosition, {5.0, 6.0, 7.0}));
    expectDegrees(30.0, 45.0, 10.0);
    EXPECT_EQ(call(GetInterest).list(), (std::vector<double>{1.0, 1.0, 1.0}));
    // setInterest aims at once and from then on a new position re-aims, keeping the roll.
    ASSERT_TRUE(set(SetInterest, {5.0, 6.0, 0.0}));
    expectDegrees(0.0, 0.0, 10.0);
    ASSERT_TRUE(set(SetPosition, {0.0, 6.0, 0.0}));  // the interest lies along +x
    expectDegrees(0.0, -90.0, 10.0);
    ASSERT_TRUE(set(SetRoll, {20.0}));
    ASSERT_TRUE(set(SetPosition, {5.0, 16.0, 10.0}));
    expectDegrees(-45.0, 0.0, 20.0);
    EXPECT_EQ(camera().tracksInterest, 1);
}

TEST_F(CameraMethodsTest, FieldOfViewAndRatioRefreshTheScales) {
    ASSERT_TRUE(set(SetFieldOfView, {60.0}));
    EXPECT_NEAR(camera().scaleV, 300.0 * std::sqrt(3.0), 1e-9);
    ASSERT_TRUE(set(SetFieldOfView, {0.0}));  // a zero tangent becomes 45 degrees
    EXPECT_EQ(real(GetFieldOfView), 45.0);
    EXPECT_NEAR(camera().scaleV, 300.0 / std::tan(Pi / 8.0), 1e-9);
    ASSERT_TRUE(set(SetFieldOfView, {-41.539}));  // kept: the picture turns upside down
    EXPECT_NEAR(camera().scaleV, -791.024, 0.0005);
    for (double turns : {360.0, -360.0, 720.0}) {  // kept: tan(pi) is about -1.2e-16, not 0
        ASSERT_TRUE(set(SetFieldOfView, {turns}));
        EXPECT_NEAR(real(GetFieldOfView), turns, 1e-9);
        EXPECT_GT(std::abs(camera().scaleH), 1e18) << turns;
    }

    // A tangent that is not a number (an infinite or NaN angle) is repaired like a zero one.
    for (double broken : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        ASSERT_TRUE(set(SetFieldOfView, {broken}));
        EXPECT_EQ(real(GetFieldOfView), 45.0);
        EXPECT_NEAR(camera().scaleV, 300.0 / std::tan(Pi / 8.0), 1e-9);
    }

    ASSERT_TRUE(set(SetPictureRatio, {2.0}));
    EXPECT_NEAR(camera().scaleH, camera().scaleV / 2.0, 1e-12);
    const double scaleH = camera().scaleH;
    for (double refused : {0.0, -1.5, std::nan("")}) {
        refuse(SetPictureRatio, {refused});
        EXPECT_EQ(real(GetPictureRatio), 1.0);
        EXPECT_EQ(camera().scaleH, scaleH) << "the previous ratio's scale stays until...";
    }
    ASSERT_TRUE(set(SetFieldOfView, {41.539}));
    EXPECT_EQ(camera().scaleH, camera().scaleV) << "...the next scale update, with ratio 1";
    // A valid ratio after a refused one brings in its own ratio.
    ASSERT_TRUE(set(SetPictureRatio, {1.5}));
    EXPECT_NEAR(camera().scaleH, camera().scaleV / 1.5, 1e-9);
}

// The horizontal scale divides the half height by the ratio first and by the tangent second.
// For these lenses that order gives another last bit than dividing by their product or by the
// tangent first, and a script's projections depend on it to the last bit.
TEST_F(CameraMethodsTest, HorizontalScaleDividesByTheRatioThenTheTangent) {
    int discriminating = 0;
    for (double ratio : {1.18, 0.9, 3.3, 2.5}) {
        for (double degrees : {30.0, 41.539, 90.0}) {
            ASSERT_TRUE(set(SetFieldOfView, {degrees}));
            ASSERT_TRUE(set(SetPictureRatio, {ratio}));
            const double t = std::tan(camera().fieldOfView * 0.5);
            const double ratioFirst = 300.0 / ratio / t;
            EXPECT_EQ(camera().scaleH, ratioFirst) << ratio << " " << degrees;
            if (ratioFirst != 300.0 / (ratio * t) && ratioFirst != 300.0 / t / ratio) {
                ++discriminating;
            }
        }
    }
    EXPECT_GT(discriminating, 0) << "no lens tells the orders apart";
}

TEST_F(CameraMethodsTest, PlanesAreTestedAgainstEachOtherAndResetToFixedValues) {
    ASSERT_TRUE(set(SetFarPlane, {100.0}));
    ASSERT_TRUE(set(SetNearPlane, {100.0}));  // equal to the far plane: accepted
    for (double refused : {101.0, 0.0, std::nan("")}) {
        ASSERT_TRUE(set(SetNearPlane, {50.0}));
        refuse(SetNearPlane, {refused});
        EXPECT_EQ(real(GetNearPlane), 0.1);
    }
    ASSERT_TRUE(set(SetNearPlane, {5.0}));
    for (double refused : {5.0, 4.0, std::nan("")}) {  // 5.0: equal to the near plane
        ASSERT_TRUE(set(SetFarPlane, {500.0}));
        refuse(SetFarPlane, {refused});
        EXPECT_EQ(real(GetFarPlane), 32768.0);
    }
    // The replacement is not tested against the other plane: the planes end up reversed.
    ASSERT_TRUE(set(SetFarPlane, {40000.0}));
    ASSERT_TRUE(set(SetNearPlane, {35000.0}));
    refuse(SetFarPlane, {-1.0});
    EXPECT_EQ(real(GetFarPlane), 32768.0);
    EXPECT_EQ(real(GetNearPlane), 35000.0);
}

TEST_F(CameraMethodsTest, RefusedArgumentsLeaveTheDocumentedFields) {
    // Points: status 0, earlier coordinates set, no re-aim, tracking unchanged. The refused
    // coordinate keeps its value though the host writes into its place as it refuses.
    host.writeOnRefusal(true);
    refuse(SetPosition, {7.0, Arg::symbol("high"), 9.0});
    EXPECT_EQ(call(GetPosition).list(), (std::vector<double>{7.0, 2.0, 20.0}));
    EXPECT_EQ(camera().pitch, -0.0997);
    ASSERT_TRUE(set(SetRotation, {10.0, 20.0, 30.0}));
    refuse(SetInterest, {4.0, 5.0, Arg::string("z")});
    EXPECT_EQ(call(GetInterest).list(), (std::vector<double>{4.0, 5.0, 0.0}));
    EXPECT_EQ(camera().tracksInterest, 0);

    // Angles: all three or none, and the conversion's status; reading stops at the refusal.
    const RotationTable table = camera().rotationTable;
    const int64_t conversions = host.callCount("ValueToFloat");
    for (int refusedAt = 0; refusedAt < 3; ++refusedAt) {
        Arg args[3] = {Arg::real(-50.0), Arg::real(60.0), Arg::real(70.0)};
        args[refusedAt] = Arg::symbol("level");
        refuse(SetRotation, {args[0], args[1], args[2]}, sim::StatusNotConvertible);
        EXPECT_EQ(std::memcmp(&table, &camera().rotationTable, sizeof table), 0);
    }
    EXPECT_EQ(host.callCount("ValueToFloat") - conversions, 1 + 2 + 3);
    refuse(SetRoll, {Arg::symbol("r")}, sim::StatusNotConvertible);
    expectDegrees(10.0, 20.0, 30.0);
    // A camera that tracks its interest keeps tracking it through a refused orientation.
    ASSERT_TRUE(set(SetInterest, {1.0, 2.0, 3.0}));
    refuse(SetRotation, {1.0, Arg::symbol("level"), 3.0}, sim::StatusNotConvertible);
    EXPECT_EQ(camera().tracksInterest, 1);
    for (int32_t setter : {SetFieldOfView, SetPictureRatio, SetNearPlane, SetFarPlane}) {
        refuse(setter, {Arg::string("n")}, sim::StatusNotConvertible);
    }
    EXPECT_EQ(real(GetFieldOfView), 41.539);
    EXPECT_EQ(real(GetPictureRatio), 1.18);
    EXPECT_EQ(real(GetNearPlane), 0.1);
    EXPECT_EQ(real(GetFarPlane), 32768.0);

    for (int32_t getter : {GetPosition, GetInterest, GetRotation}) {
        host.failNewLists(1);
        Answer answer = call(getter);
        EXPECT_EQ(answer.status, 0);
        EXPECT_TRUE(answer.isSymbol("errCouldNotCreateList")) << answer.describe();
    }
}

TEST_F(CameraMethodsTest, StageSizeUpdateReleasesWhatItObtainedOnEveryPath) {
    const Status failure = static_cast<Status>(0x80045678u);
    const int64_t held = host.outstandingReferences();
    host.setStageSize(320, 200);
    for (sim::PresentationStep step :
         {sim::PresentationStep::Presentation, sim::PresentationStep::Window,
          sim::PresentationStep::NativeWindow}) {
        const int asked = static_cast<int>(step);
        host.failPresentationStep(step, failure);
        EXPECT_EQ(updateStageSize(), failure) << "step " << asked;
        EXPECT_EQ(camera().stageWidth, 800.0) << "step " << asked;
        EXPECT_EQ(host.outstandingReferences(), held) << host.referenceReport();
        host.failPresentationStep(step, 0);
    }
    EXPECT_EQ(updateStageSize(), 0);
    EXPECT_EQ(camera().centreV, 100.0);
    EXPECT_EQ(host.outstandingReferences(), held) << host.referenceReport();
}

TEST_F(CameraMethodsTest, StageIsReadFromAHostThatWritesALargeWindowRecord) {
    // A host whose native-window record is far larger than the two words read: filler over
    // 256 bytes must neither overrun the plug-in's record nor disturb the words it reads.
    host.fillNativeRecord(256);
    host.setStageSize(640, 480);
    EXPECT_EQ(updateStageSize(), 0);
    EXPECT_EQ(camera().stageWidth, 640.0);
    EXPECT_EQ(camera().stageHeight, 480.0);
    EXPECT_EQ(camera().centreV, 240.0);
}

// Each host object is given back before the one it came from: the window, then the
// presentation, then the presentation services.
TEST_F(CameraMethodsTest, StageSizeUpdateReleasesInTheReverseOrderOfObtaining) {
    host.resetCallCounts();
    EXPECT_EQ(updateStageSize(), 0);
    EXPECT_EQ(host.releaseOrder(), (std::vector<std::string>{"WindowObject", "PresentationObject",
                                                             "PresentationServices"}));
    host.failPresentationStep(sim::PresentationStep::NativeWindow,
                              static_cast<Status>(0x80045678u));
    host.resetCallCounts();
    updateStageSize();
    EXPECT_EQ(host.releaseOrder(), (std::vector<std::string>{"WindowObject", "PresentationObject",
                                                             "PresentationServices"}));
}

TEST_F(CameraMethodsTest, VectorAngleIsUnsignedAndNeverNaN) {
    EXPECT_EQ(vectorAngle(0.0, 0.0, 1.0, 0.0), 0.0);
    EXPECT_NEAR(vectorAngle(1.0, 0.0, 0.0, -1.0), Pi / 2.0, 1e-15);
    EXPECT_NEAR(vectorAngle(2.0, 0.0, -3.0, 0.0), Pi, 1e-15);
    // Parallel vectors can round their cosine past 1, opposite ones past -1; the angle is
    // still about 0 or pi.
    for (int i = 1; i < 2000; ++i) {
        const double x = i * 0.37, y = i * -0.11;
        EXPECT_LT(vectorAngle(x, y, 3.0 * x, 3.0 * y), 1e-7) << i;
        EXPECT_GT(vectorAngle(x, y, -3.0 * x, -3.0 * y), Pi - 1e-7) << i;
    }
}

// Cameras that lack a host link. Without the value link nothing can be read or answered, so
// every method refuses with a failure status and touches neither the result nor the camera.
class CameraLinkTest : public CameraFixture {};

TEST_F(CameraLinkTest, WithoutValueServicesEveryMethodRefusesAndTouchesNothing) {
    host.withhold(ValueServicesId);
    createCamera();
    const CameraState before = camera();
    for (int32_t method = GetPosition; method <= Ceiling; ++method) {
        Answer answer = call(method, {1.0, 2.0, 3.0});
        EXPECT_EQ(answer.status, sim::StatusNotAvailable) << "method " << method;
        EXPECT_TRUE(answer.untouched) << "method " << method << ": " << answer.describe();
    }
    EXPECT_EQ(std::memcmp(&before, &camera(), sizeof(CameraState)), 0);
}

// Without the list link the list and point results give their usual error symbols and change
// nothing; the other methods work.
TEST_F(CameraLinkTest, WithoutListServicesOnlyListAndPointResultsFail) {
    host.withhold(ListServicesId);
    createCamera();
    camera().lastView = {7.0, 8.0, -9.0};
    const CameraState before = camera();
    for (int32_t method : {GetPosition, GetInterest, GetRotation, GetProjection, GetCoordinates}) {
        Answer answer = call(method, {1.0, 2.0, 3.0});
        EXPECT_EQ(answer.status, 0);
        const bool list = method < GetProjection;
        EXPECT_TRUE(answer.isSymbol(list ? "errCouldNotCreateList" : "errInvalidParameter"))
            << answer.describe();
    }
    EXPECT_EQ(std::memcmp(&before, &camera(), sizeof(CameraState)), 0);
    EXPECT_EQ(call(GetDistance).real(), -9.0);
    Answer answer = call(SetFarPlane, {50.0});
    EXPECT_TRUE(answer.isSymbol("Ok")) << answer.describe();
    EXPECT_EQ(call(GetFarPlane).real(), 50.0);
    EXPECT_EQ(call(Sgn, {-3.0}).integer(), -1);
}

}  // namespace
}  // namespace test
