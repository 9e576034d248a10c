// Behaviour that the author docs promise beyond the examples (quick-reference.md, the pitfalls
// and the stage in installing.md): the usable field of view, a refused or infinite picture
// ratio, a stage measured only at "new", and one last projection per camera.
#include <cmath>
#include <limits>
#include <vector>

#include "tests/support/script_fixture.h"

namespace test {
namespace {

const std::vector<double> Centre{400.0, 300.0};

class ReferenceClaimsTest : public ScriptFixture {
  protected:
    std::vector<double> project(double x, double y, double z) {
        return call(GetProjection, {x, y, z}).point();
    }
};

TEST_F(ReferenceClaimsTest, FieldOfViewIsUsableOnlyBelow180Degrees) {
    host.setStageSize(800, 600);
    createCamera();
    call(SetPosition, {0.0, 0.0, 0.0});
    call(SetRotation, {0.0, 0.0, 0.0});
    ASSERT_TRUE(call(SetFieldOfView, {179.0}).isSymbol("Ok"));
    std::vector<double> above = project(0.0, 1.0, -1.0);  // 45 degrees above the axis
    EXPECT_LT(above[1], 300.0 - 2.0) << "179: narrow, but still the right way up";

    // 180: every point in view lands on the centre.
    ASSERT_TRUE(call(SetFieldOfView, {180.0}).isSymbol("Ok"));
    for (const auto& point : {project(0.0, 1.0, -1.0), project(50.0, -20.0, -1.0)}) {
        EXPECT_NEAR(point[0], 400.0, 1e-9);
        EXPECT_NEAR(point[1], 300.0, 1e-9);
    }
    // Above 180: upside down and mirrored.
    ASSERT_TRUE(call(SetFieldOfView, {200.0}).isSymbol("Ok"));
    above = project(1.0, 1.0, -1.0);
    EXPECT_GT(above[1], 300.0);
    EXPECT_LT(above[0], 400.0);
}

TEST_F(ReferenceClaimsTest, RefusedRatioBecomesOneAndTheNextFieldOfViewUsesIt) {
    host.setStageSize(800, 600);
    createCamera();
    ASSERT_TRUE(call(SetPictureRatio, {2.0}).isSymbol("Ok"));
    EXPECT_TRUE(call(SetPictureRatio, {0.0}).isSymbol("errInvalidParameter"));
    EXPECT_EQ(call(GetPictureRatio).real(), 1.0);
    EXPECT_NEAR(camera().scaleH, camera().scaleV / 2.0, 1e-9) << "still the ratio 2 until...";
    ASSERT_TRUE(call(SetFieldOfView, {41.539}).isSymbol("Ok"));
    EXPECT_EQ(camera().scaleH, camera().scaleV) << "...the next setFieldOfView, with ratio 1";
}

TEST_F(ReferenceClaimsTest, InfiniteRatioSqueezesToTheCentreLineAndRefusesBackProjection) {
    host.setStageSize(800, 600);
    createCamera();
    ASSERT_TRUE(call(SetPictureRatio, {std::numeric_limits<double>::infinity()}).isSymbol("Ok"));
    EXPECT_EQ(project(5.0, 0.0, 0.0)[0], 400.0);
    Answer answer = call(GetCoordinates, {500.0, 300.0, 0.0});
    EXPECT_EQ(answer.status, 0);
    EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
}

TEST_F(ReferenceClaimsTest, StageIsMeasuredOnlyAtNew) {
    host.setStageSize(640, 480);
    createCamera();
    call(SetPosition, {0.0, 0.0, 10.0});  // aims exactly at the origin
    EXPECT_EQ(project(0.0, 0.0, 0.0), (std::vector<double>{320.0, 240.0}));
    host.setStageSize(800, 600);
    EXPECT_EQ(project(0.0, 0.0, 0.0), (std::vector<double>{320.0, 240.0})) << "not re-measured";
    EXPECT_EQ(call(New).status, 0);
    EXPECT_EQ(project(0.0, 0.0, 0.0), Centre) << "new measures again";
}

TEST_F(ReferenceClaimsTest, WithoutPresentationServicesTheCentreStays400By300) {
    host.setStageSize(1024, 768);
    host.withhold(PresentationServicesId);
    createCamera();
    call(SetPosition, {0.0, 0.0, 10.0});
    EXPECT_EQ(project(0.0, 0.0, 0.0), Centre);
    EXPECT_NEAR(project(1.0, 0.0, 0.0)[0] - 400.0, 791.024 / 1.18 / 10.0, 0.001)
        << "scales as on a stage 600 pixels high";
}

TEST_F(ReferenceClaimsTest, StageThatIsNotANativeWindowPutsEveryPointAtTheCorner) {
    host.setStageSize(800, 600);
    host.setStageWindowKind(2);
    createCamera();
    EXPECT_EQ(project(3.0, -1.0, 0.0), (std::vector<double>{0.0, 0.0}));
}

TEST_F(ReferenceClaimsTest, EachCameraKeepsItsOwnLastProjection) {
    host.setStageSize(800, 600);
    createCamera();
    // A second camera on the same host.
    sim::Instance other;
    void* out = nullptr;
    ASSERT_EQ(sim::createObject(host, module(), CameraClassId, CameraInterfaceId, &other, &out), 0);
    ASSERT_EQ(sim::sendNew(host, out), 0);
    auto* otherIface = static_cast<InterfaceObject*>(out);
    const auto* otherOps = static_cast<const CameraInterfaceOps*>(otherIface->ops);

    project(0.0, 0.0, -30.0);
    const double mine = call(GetDistance).real();
    HostValue arguments[4] = {host.makeSymbol("me"), host.makeFloat(0.0), host.makeFloat(0.0),
                              host.makeFloat(10.0)};
    CallRecord record{};
    record.methodNumber = GetProjection;
    record.arguments = arguments;
    EXPECT_EQ(otherOps->Call(otherIface, &record), 0);
    host.release(record.result);
    for (HostValue& argument : arguments) host.release(argument);
    EXPECT_EQ(call(GetDistance).real(), mine) << "the other camera's projection leaves mine";
    EXPECT_NEAR(mine, -50.0, 0.05);

    EXPECT_TRUE(sim::destroyObject(host, other, otherIface));
}

}  // namespace
}  // namespace test
