// Behaviour that the author docs promise beyond the examples (script-reference.md,
// quick-reference.md with its pitfalls, the stage in installing.md): the field of view outside
// 0..180, reversed planes, a stage measured only at "new" and without presentation services, a
// camera without its defaults, and one last projection per camera. The statuses the docs give in
// hex are the host's numbers that the registration and link tests check.
#include <cmath>
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

// Only the tangent of half the angle counts: an angle outside 0..180 gives the picture of the
// angle in 0..180 whose half has a tangent of the same size, turned a half turn (as by roll 180)
// when that tangent is negative.
TEST_F(ReferenceClaimsTest, OnlyTheTangentOfHalfTheFieldOfViewCounts) {
    host.setStageSize(800, 600);
    createCamera();
    call(SetPosition, {0.0, 0.0, 0.0});
    call(SetRotation, {10.0, 20.0, 0.0});
    const double points[][3] = {{1.0, 1.0, -3.0}, {-2.0, 0.5, -6.0}, {0.3, -0.7, -2.0}};
    auto picture = [&](double fov, double roll) {
        EXPECT_TRUE(call(SetFieldOfView, {fov}).isSymbol("Ok"));
        EXPECT_TRUE(call(SetRoll, {roll}).isSymbol("Ok"));
        std::vector<double> stage;
        for (const auto& p : points) {
            for (double item : project(p[0], p[1], p[2])) stage.push_back(item);
        }
        return stage;
    };
    auto expectSame = [](const std::vector<double>& a, const std::vector<double>& b,
                         const char* what) {
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-9) << what << " " << i;
    };
    // Each picture is taken in a statement of its own: the field of view is the camera's state.
    const std::vector<double> forty = picture(40.0, 0.0);
    expectSame(picture(400.0, 0.0), forty, "400 is 40");
    EXPECT_NEAR(call(GetFieldOfView).real(), 400.0, 1e-12) << "answered as set";
    const std::vector<double> upright160 = picture(160.0, 0.0);
    expectSame(picture(-200.0, 0.0), upright160, "-200 is 160, upright");
    const std::vector<double> turned160 = picture(160.0, 180.0);
    expectSame(picture(200.0, 0.0), turned160, "200 is 160 turned a half turn");
    const std::vector<double> turned20 = picture(20.0, 180.0);
    expectSame(picture(-20.0, 0.0), turned20, "-20 is 20 turned a half turn");
    EXPECT_NEAR(picture(179.0, 0.0)[1], 299.444270, 1e-6) << "179: small, but the right way up";
    EXPECT_NEAR(picture(181.0, 0.0)[1], 300.555730, 1e-6) << "181: small, and turned";
    for (double fov : {180.0, -180.0, 540.0}) {
        const std::vector<double> stage = picture(fov, 0.0);
        for (size_t i = 0; i < stage.size(); ++i) {
            EXPECT_NEAR(stage[i], i % 2 == 0 ? 400.0 : 300.0, 1e-9) << fov << ": on the centre";
        }
    }
}

// A refused plane is reset without a look at the other one: the planes can end up reversed,
// and then nothing is in view until they are set again.
TEST_F(ReferenceClaimsTest, RefusedPlaneCanLeaveThePlanesReversed) {
    host.setStageSize(800, 600);
    createCamera();
    call(SetPosition, {0.0, 0.0, 0.0});
    call(SetRotation, {0.0, 0.0, 0.0});
    ASSERT_TRUE(call(SetFarPlane, {40000.0}).isSymbol("Ok"));
    ASSERT_TRUE(call(SetNearPlane, {35000.0}).isSymbol("Ok"));
    EXPECT_EQ(project(0.0, 0.0, -36000.0), Centre);
    EXPECT_TRUE(call(SetFarPlane, {-1.0}).isSymbol("errInvalidParameter"));
    EXPECT_EQ(call(GetFarPlane).real(), 32768.0);
    for (double depth : {1.0, 100.0, 33000.0, 36000.0, 50000.0}) {
        EXPECT_EQ(project(0.0, 0.0, -depth), (std::vector<double>{-2000.0, -2000.0})) << depth;
    }
    ASSERT_TRUE(call(SetFarPlane, {40000.0}).isSymbol("Ok"));
    EXPECT_EQ(project(0.0, 0.0, -36000.0), Centre) << "in view again";

    // The same from the near side: a far plane below 0.1 and a refused near plane.
    ASSERT_TRUE(call(SetNearPlane, {0.01}).isSymbol("Ok"));
    ASSERT_TRUE(call(SetFarPlane, {0.05}).isSymbol("Ok"));
    EXPECT_EQ(project(0.0, 0.0, -0.03), Centre);
    EXPECT_TRUE(call(SetNearPlane, {0.0}).isSymbol("errInvalidParameter"));
    EXPECT_EQ(call(GetNearPlane).real(), 0.1);
    EXPECT_EQ(project(0.0, 0.0, -0.03), (std::vector<double>{-2000.0, -2000.0}));
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

// No presentation services is no failure: "new" and the stage update answer 0 and the stage
// stays as created.
TEST_F(ReferenceClaimsTest, WithoutPresentationServicesTheCentreStays400By300) {
    host.setStageSize(1024, 768);
    host.withhold(PresentationServicesId);
    createCamera();
    EXPECT_EQ(updateStageSize(), 0);
    call(SetPosition, {0.0, 0.0, 10.0});
    EXPECT_EQ(project(0.0, 0.0, 0.0), Centre);
    EXPECT_NEAR(project(1.0, 0.0, 0.0)[0] - 400.0, 791.024 / 1.18 / 10.0, 0.001)
        << "scales as on a stage 600 pixels high";
}

// A camera made on a host that withheld its aux (or list) services gets no defaults: it starts
// from the record as the host allocated it, zeroed here.
TEST_F(ReferenceClaimsTest, WithoutAuxServicesTheCameraStartsFromTheZeroedRecord) {
    host.setStageSize(800, 600);
    host.withhold(AuxServicesId);
    createCamera();
    const std::vector<double> zero{0.0, 0.0, 0.0};
    EXPECT_EQ(call(GetPosition).list(), zero);
    EXPECT_EQ(call(GetInterest).list(), zero);
    EXPECT_EQ(call(GetRotation).list(), zero);
    EXPECT_EQ(call(GetFieldOfView).real(), 45.0) << "new turns 0 into 45 degrees";
    EXPECT_EQ(call(GetPictureRatio).real(), 0.0);
    EXPECT_EQ(call(GetNearPlane).real(), 0.0);
    EXPECT_EQ(call(GetFarPlane).real(), 0.0);
    EXPECT_EQ(project(0.0, 0.0, -10.0), (std::vector<double>{-2000.0, -2000.0}));

    // Tracking is off: a move does not turn it. The far and then the near plane bring points
    // into view, a ratio gives them a finite h.
    ASSERT_TRUE(call(SetPosition, {0.0, 0.0, 10.0}).isSymbol("Ok"));
    EXPECT_EQ(call(GetRotation).list(), zero);
    ASSERT_TRUE(call(SetFarPlane, {100.0}).isSymbol("Ok"));
    ASSERT_TRUE(call(SetNearPlane, {1.0}).isSymbol("Ok"));
    for (double x : {0.0, 1.0, -2.0}) {
        const std::vector<double> point = project(x, 0.5, 0.0);
        EXPECT_FALSE(std::isfinite(point.at(0))) << x;
        EXPECT_NEAR(point.at(1), 263.78680, 0.00001) << "in view, above the axis";
    }
    ASSERT_TRUE(call(SetPictureRatio, {1.0}).isSymbol("Ok"));
    EXPECT_EQ(project(0.0, 0.0, 0.0), Centre);
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

    project(0.0, 0.0, -30.0);
    const double mine = call(GetDistance).real();
    EXPECT_EQ(call(GetProjection, {0.0, 0.0, 10.0}, otherIface).status, 0);
    EXPECT_EQ(call(GetDistance).real(), mine) << "the other camera's projection leaves mine";
    EXPECT_NEAR(mine, -50.0, 0.05);

    EXPECT_TRUE(sim::destroyObject(host, other, otherIface));
}

}  // namespace
}  // namespace test
