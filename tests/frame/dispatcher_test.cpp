// Call: method numbers, "new", the table's slot order, and cameras without host links.
#include <climits>
#include <cmath>
#include <cstring>

#include "tests/support/script_fixture.h"

namespace test {
namespace {

class DispatcherTest : public ScriptFixture {};

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
    EXPECT_GT(camera().scaleV, 0.0) << "the scale update ran after the stage update";
    EXPECT_EQ(camera().rotationTable.cosRoll, 1.0) << "the rotation table was filled";
    EXPECT_EQ(camera().rotationTable.sinPitch, std::sin(-0.0997));
}

TEST_F(DispatcherTest, NewSucceedsWhenTheStageCannotBeReached) {
    host.failPresentationStep(2, static_cast<Status>(0x80041234u));
    createCamera(false);
    Answer answer = call(New);
    EXPECT_EQ(answer.status, 0);
    EXPECT_TRUE(answer.untouched);
    EXPECT_EQ(camera().centreH, 400.0) << "the default centre stays";
    EXPECT_EQ(camera().centreV, 300.0);
    EXPECT_GT(camera().scaleV, 0.0);

    host.failPresentationStep(2, 0);
    host.withhold(PresentationServicesId);
    EXPECT_EQ(call(New).status, 0);
    EXPECT_EQ(camera().centreV, 300.0);
}

// Each handler slot is the method of that number: calling the slot directly and through
// Call give the same answer.
TEST_F(DispatcherTest, SlotsFollowTheMessageTable) {
    createCamera();
    for (int32_t method = GetPosition; method <= Ceiling; ++method) {
        Answer viaCall = call(method, {Arg::real(0.25), Arg::real(0.5), Arg::real(0.75)});
        std::vector<HostValue> elements;
        if (method < Asin) elements.push_back(host.makeSymbol("me"));
        for (double x : {0.25, 0.5, 0.75}) elements.push_back(host.makeFloat(x));
        CallRecord record{};
        record.methodNumber = method;
        record.arguments = elements.data();
        const Status direct = ops()->methods[method - 1](iface, &record);
        EXPECT_EQ(direct, viaCall.status) << "method " << method;
        EXPECT_EQ(host.describe(record.result), host.describe(viaCall.value))
            << "method " << method;
        host.release(record.result);
        for (HostValue& element : elements) host.release(element);
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

TEST_F(DispatcherTest, InternalOperationsSitAfterTheHandlers) {
    createCamera();
    EXPECT_EQ(ops()->vectorAngle(iface, 1.0, 0.0, 0.0, 1.0), 2.0 * std::atan2(1.0, 1.0));
    EXPECT_EQ(ops()->vectorAngle(iface, 0.0, 0.0, 1.0, 0.0), 0.0);
    camera().roll = 0.5;
    EXPECT_EQ(ops()->updateRotationTable(iface), 0);
    EXPECT_EQ(camera().rotationTable.sinRoll, std::sin(0.5));
    host.setStageSize(100, 50);
    EXPECT_EQ(ops()->updateStageSize(iface), 0);
    EXPECT_EQ(camera().centreV, 25.0);
    EXPECT_EQ(ops()->updateProjectionScale(iface), 0);
    EXPECT_EQ(camera().scaleV, 25.0 / std::tan(camera().fieldOfView * 0.5));
    camera().interest = {10.0, 2.0, 20.0};
    EXPECT_EQ(ops()->aimAtInterest(iface), 0);
    EXPECT_EQ(camera().yaw, -2.0 * std::atan2(1.0, 1.0)) << "interest to the right: yaw -90";
}

// Without a value link nothing can be read or answered: every method refuses with a
// failure status and leaves the result alone.
TEST_F(DispatcherTest, CameraWithoutValueServicesRefusesEveryMethod) {
    host.withhold(ValueServicesId);
    createCamera();
    for (int32_t method = GetPosition; method <= Ceiling; ++method) {
        Answer answer = call(method, {Arg::real(1.0), Arg::real(2.0), Arg::real(3.0)});
        EXPECT_EQ(answer.status, StatusNotAvailable) << "method " << method;
        EXPECT_TRUE(answer.untouched) << "method " << method << ": " << answer.describe();
    }
}

// Without a list link the list and point results give their usual error symbols; the other
// methods work.
TEST_F(DispatcherTest, CameraWithoutListServicesAnswersWithItsErrorSymbols) {
    host.withhold(ListServicesId);
    createCamera();
    // The defaults were not stored (a link is missing); give the camera usable values.
    CameraState& state = camera();
    state.position = {0.0, 0.0, 10.0};
    state.pitch = state.yaw = state.roll = 0.0;
    state.fieldOfView = 1.0;
    state.pictureRatio = 1.0;
    state.nearPlane = 0.1;
    state.farPlane = 100.0;
    ops()->updateProjectionScale(iface);
    ops()->updateRotationTable(iface);
    state.lastView = {7.0, 8.0, -9.0};

    for (int32_t method : {GetPosition, GetInterest, GetRotation}) {
        Answer answer = call(method);
        EXPECT_EQ(answer.status, 0);
        EXPECT_TRUE(answer.isSymbol("errCouldNotCreateList")) << answer.describe();
    }
    for (int32_t method : {GetProjection, GetCoordinates}) {
        Answer answer = call(method, {Arg::real(1.0), Arg::real(2.0), Arg::real(3.0)});
        EXPECT_EQ(answer.status, 0);
        EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
        EXPECT_EQ(state.lastView.z, -9.0) << "the camera is unchanged";
    }
    Answer distance = call(GetDistance);
    EXPECT_TRUE(distance.isFloat());
    EXPECT_EQ(distance.real(), -9.0);
    Answer ok = call(SetFarPlane, {Arg::real(50.0)});
    EXPECT_TRUE(ok.isSymbol("Ok")) << ok.describe();
    Answer sign = call(Sgn, {Arg::real(-3.0)});
    EXPECT_EQ(sign.integer(), -1);
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
