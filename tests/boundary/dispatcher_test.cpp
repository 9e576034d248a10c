// Call: method numbers, "new", the table's slot order and the internal operations.
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/camera_view.h"

namespace test {
namespace {

class DispatcherTest : public CameraFixture {};

TEST_F(DispatcherTest, MethodNumbersOutsideTheTableLeaveTheResultAlone) {
    createCamera();
    const CameraState before = camera();
    for (int32_t method : {27, 28, 1000, -1, INT_MIN, INT_MAX}) {
        Answer answer = call(method);
        EXPECT_EQ(answer.status, 0) << method;
        EXPECT_TRUE(answer.untouched) << method << ": " << answer.describe();
    }
    EXPECT_EQ(std::memcmp(&before, &camera(), sizeof(CameraState)), 0);
}

TEST_F(DispatcherTest, NewDerivesStageScalesAndRotationWithoutAResult) {
    host.setStageSize(640, 480);
    createCamera(false);
    Answer answer = call(New);
    EXPECT_EQ(answer.status, 0);
    EXPECT_TRUE(answer.untouched);
    EXPECT_EQ(camera().stageWidth, 640.0);
    EXPECT_EQ(camera().stageHeight, 480.0);
    EXPECT_EQ(camera().centreH, 320.0);
    EXPECT_EQ(camera().centreV, 240.0);
    // The scales come from this stage's half height (240), not the default one (300): the
    // scale update runs after the stage update.
    EXPECT_NEAR(camera().scaleV, 632.81902, 0.00001);
    // The rotation table was filled: the origin projects as for the default camera, scaled
    // to this stage (h on the centre, v a hair above it because of the literal default pitch).
    const std::vector<double> origin = call(GetProjection, {0.0, 0.0, 0.0}).point();
    ASSERT_EQ(origin.size(), 2u);
    EXPECT_EQ(origin[0], 320.0);
    EXPECT_NEAR(origin[1], 239.98, 0.005);
    EXPECT_LT(origin[1], 240.0);
}

TEST_F(DispatcherTest, NewSucceedsWhenTheStageCannotBeReached) {
    host.failPresentationStep(sim::PresentationStep::Window, static_cast<Status>(0x80041234u));
    createCamera(false);
    Answer answer = call(New);
    EXPECT_EQ(answer.status, 0);
    EXPECT_TRUE(answer.untouched);
    EXPECT_EQ(camera().centreH, 400.0) << "the default centre stays";
    EXPECT_EQ(camera().centreV, 300.0);
    EXPECT_NEAR(camera().scaleV, 791.02378, 0.00001) << "scaled from the default centre";
}

// The host reaches a method straight through its slot of the interface's operation table:
// slot 3 + n holds method n. Each slot, entered that way on a fresh camera, must do what its
// method does, so a table in another order fails here.
struct SlotCase {
    int32_t method;
    std::vector<double> args;
    std::function<void(const Answer&, const CameraState&)> check;
};

TEST_F(DispatcherTest, EachSlotAnswersAsItsMethodMust) {
    const double degree = 4.0 * std::atan(1.0) / 180.0;
    auto ok = [](const Answer& a) { EXPECT_TRUE(a.isSymbol("Ok")) << a.describe(); };
    auto near = [](const std::vector<double>& actual, const std::vector<double>& expected) {
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-4);
    };
    const std::vector<SlotCase> cases = {
        {GetPosition,
         {},
         [&](const Answer& a, const CameraState&) {
             near(a.list(), {0, 2, 20});
         }},
        {SetPosition,
         {5, 6, 7},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_EQ(c.position.z, 7.0);
         }},
        {GetInterest,
         {},
         [&](const Answer& a, const CameraState&) {
             near(a.list(), {0, 0, 0});
         }},
        {SetInterest,
         {1, 2, 3},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_EQ(c.interest.z, 3.0);
         }},
        {GetRotation,
         {},
         [&](const Answer& a, const CameraState&) {
             near(a.list(), {-5.71239, 0, 0});
         }},
        {SetRotation,
         {10, 20, 30},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_NEAR(c.yaw, 20 * degree, 1e-15);
             EXPECT_EQ(c.tracksInterest, 0);
         }},
        {SetRoll,
         {30},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_NEAR(c.roll, 30 * degree, 1e-15);
             EXPECT_EQ(c.tracksInterest, 1);
         }},
        {GetFieldOfView,
         {},
         [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 41.539); }},
        {SetFieldOfView,
         {60},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_NEAR(c.fieldOfView, 60 * degree, 1e-15);
         }},
        {GetPictureRatio,
         {},
         [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 1.18); }},
        {SetPictureRatio,
         {2},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_EQ(c.pictureRatio, 2.0);
         }},
        {GetNearPlane, {}, [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 0.1); }},
        {SetNearPlane,
         {3},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_EQ(c.nearPlane, 3.0);
         }},
        {GetFarPlane,
         {},
         [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 32768.0); }},
        {SetFarPlane,
         {300},
         [&](const Answer& a, const CameraState& c) {
             ok(a);
             EXPECT_EQ(c.farPlane, 300.0);
         }},
        {GetProjection,
         {1, 0, 0},
         [&](const Answer& a, const CameraState&) {
             near(a.point(), {433.3516, 299.9752});
         }},
        {GetDistance,
         {},
         [](const Answer& a, const CameraState&) {
             EXPECT_TRUE(a.isFloat()) << a.describe();
             EXPECT_EQ(a.real(), 0.0);
         }},
        {GetBlendLevel,
         {},
         [](const Answer& a, const CameraState&) {
             EXPECT_TRUE(a.isInteger()) << a.describe();
             EXPECT_EQ(a.integer(), 255);
         }},
        {GetCoordinates,
         {500, 200, 0},
         [&](const Answer& a, const CameraState&) {
             near(a.list(), {2.9835, 2.5251, 0.0});
         }},
        {Asin,
         {0.5},
         [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 0.5235987755982989); }},
        {Acos,
         {0.5},
         [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 1.0471975511965979); }},
        {Constrain,
         {370, 0, 360},
         [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 10.0); }},
        {Limit,
         {370, 0, 360},
         [](const Answer& a, const CameraState&) { EXPECT_EQ(a.real(), 360.0); }},
        {Sgn, {-2.5}, [](const Answer& a, const CameraState&) { EXPECT_EQ(a.integer(), -1); }},
        {Floor, {7.5}, [](const Answer& a, const CameraState&) { EXPECT_EQ(a.integer(), 7); }},
        {Ceiling, {7.5}, [](const Answer& a, const CameraState&) { EXPECT_EQ(a.integer(), 8); }},
    };
    ASSERT_EQ(cases.size(), 26u);
    host.setStageSize(800, 600);
    for (const SlotCase& c : cases) {
        SCOPED_TRACE("method " + std::to_string(c.method));
        createCamera();
        std::vector<HostValue> elements;
        if (c.method < Asin) elements.push_back(host.makeSymbol("me"));
        for (double x : c.args) elements.push_back(host.makeFloat(x));
        Answer answer = callRaw(c.method, elements, nullptr, sim::methodSlot(c.method));
        EXPECT_EQ(answer.status, 0);
        c.check(answer, camera());
        for (HostValue& element : elements) host.release(element);
        destroyCamera();
    }
}

TEST_F(DispatcherTest, CallReturnsTheHandlersStatusUnchanged) {
    createCamera();
    // A refused conversion's status travels back through Call as it is.
    Answer answer = call(SetFieldOfView, {Arg::string("wide")});
    EXPECT_EQ(answer.status, sim::StatusNotConvertible);
    EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
    Answer global = call(Floor, {Arg::symbol("x")});
    EXPECT_EQ(global.status, sim::StatusNotConvertible);
    EXPECT_TRUE(global.isSymbol("errParamInvalid")) << global.describe();
}

// Slots 30 to 34, entered by slot number as the host does, each with an answer known
// without the module's formulas.
TEST_F(DispatcherTest, InternalOperationsSitAfterTheHandlers) {
    createCamera();
    EXPECT_NEAR(vectorAngle(1.0, 0.0, 0.0, 1.0), 1.5707963267948966, 1e-15);
    EXPECT_EQ(vectorAngle(0.0, 0.0, 1.0, 0.0), 0.0);
    camera().roll = 0.5235987755982988;  // 30 degrees
    EXPECT_EQ(updateRotationTable(), 0);
    EXPECT_NEAR(camera().rotationTable.sinRoll, 0.5, 1e-15);
    EXPECT_NEAR(camera().rotationTable.cosNegRoll, 0.8660254037844386, 1e-15);
    host.setStageSize(100, 50);
    EXPECT_EQ(updateStageSize(), 0);
    EXPECT_EQ(camera().centreV, 25.0);
    EXPECT_EQ(updateProjectionScale(), 0);
    EXPECT_NEAR(camera().scaleV, 65.91865, 0.00001);  // 25 / tan(41.539 / 2 degrees)
    camera().interest = {10.0, 2.0, 20.0};
    EXPECT_EQ(aimAtInterest(), 0);
    EXPECT_NEAR(camera().yaw, -1.5707963267948966, 1e-15) << "interest to the right: yaw -90";
}

// Thousands of calls through every slot: a calling-convention mismatch in either direction
// would unbalance the stack long before the end.
TEST_F(DispatcherTest, ManyCallsKeepTheStackBalanced) {
    createCamera();
    for (int round = 0; round < 2000; ++round) {
        const int32_t method = 1 + round % Ceiling;
        Answer answer = call(method, {Arg::real(0.5), Arg::integer(2), Arg::real(-3.0)});
        ASSERT_FALSE(answer.untouched) << "method " << method;
    }
}

}  // namespace
}  // namespace test
