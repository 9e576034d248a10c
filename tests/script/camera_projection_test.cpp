// Methods 16 to 19 as a script calls them: projection with its view test, depth and blend level
// of the last projection, and back-projection, on the default camera and on random ones.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>

#include "tests/support/camera_view.h"

namespace test {
namespace {

const std::vector<double> Marker{-2000.0, -2000.0};
const std::vector<double> Centre{400.0, 300.0};

class CameraProjectionTest : public CameraFixture {
  protected:
    void SetUp() override {
        host.setStageSize(800, 600);
        createCamera();
    }
    std::vector<double> project(double x, double y, double z) {
        return call(GetProjection, {x, y, z}).point();
    }
    std::vector<double> back(double h, double v, double worldZ) {
        return call(GetCoordinates, {h, v, worldZ}).list();
    }
    double distance() { return call(GetDistance).real(); }
    int32_t blend() { return call(GetBlendLevel).integer(); }
    // A camera at the origin looking along -z, unturned.
    void placeAtOrigin(double nearPlane = 0.1, double farPlane = 32768.0) {
        call(SetPosition, {0.0, 0.0, 0.0});
        call(SetRotation, {0.0, 0.0, 0.0});
        call(SetFarPlane, {farPlane});
        call(SetNearPlane, {nearPlane});
    }
    double uniform(double low, double high) {
        return low + (high - low) * (static_cast<double>(random_()) / 4294967296.0);
    }
    std::mt19937 random_{2024};
};

void expectNear(const std::vector<double>& actual, const std::vector<double>& expected,
                double tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], tolerance);
}

TEST_F(CameraProjectionTest, DefaultCameraReproducesTheReferenceFigures) {
    EXPECT_EQ(distance(), 0.0);  // nothing projected yet
    EXPECT_EQ(blend(), 255);
    Answer answer = call(GetProjection, {0.0, 0.0, 0.0});
    EXPECT_EQ(answer.status, 0);
    const std::vector<double> origin = answer.point();
    expectNear(origin, {400.0, 299.9752}, 0.00005);  // off centre: the default pitch is a literal
    EXPECT_EQ(origin[0], 400.0);
    EXPECT_NEAR(distance(), -20.0998, 0.00005);
    EXPECT_TRUE(call(GetBlendLevel).isInteger());
    EXPECT_EQ(blend(), 255);
    const std::vector<double> right = project(1.0, 0.0, 0.0);
    expectNear(right, {433.3516, origin[1]}, 0.00005);
    EXPECT_EQ(right[1], origin[1]);

    EXPECT_EQ(project(0.0, 0.0, 30.0), Marker);  // behind: the depth stays positive
    EXPECT_NEAR(distance(), 9.7513, 0.00005);
    EXPECT_EQ(blend(), 255);
    EXPECT_EQ(project(0.0, 2.0, 19.95), Marker);  // in front, nearer than the near plane
    EXPECT_NEAR(distance(), -0.0498, 0.00005);
    EXPECT_EQ(blend(), 255);
    EXPECT_EQ(project(0.0, 2.0, -40000.0), Marker);  // beyond the far plane
    EXPECT_EQ(blend(), 0);
}

TEST_F(CameraProjectionTest, ViewTestIsStrictAtBothPlanes) {
    placeAtOrigin(0.5, 100.0);
    EXPECT_EQ(project(0.0, 0.0, -0.5), Marker);
    EXPECT_EQ(distance(), -0.5);
    EXPECT_EQ(project(0.0, 0.0, -100.0), Marker);
    EXPECT_EQ(project(0.0, 0.0, std::nextafter(-0.5, -1.0)), Centre);
    EXPECT_EQ(project(0.0, 0.0, std::nextafter(-100.0, 0.0)), Centre);
    EXPECT_EQ(project(0.0, std::nan(""), -10.0), Marker) << "a NaN depth is out of view";
}

// Roll: RollSetAloneTurnsTheNextProjection.
TEST_F(CameraProjectionTest, StageAxesFollowTheCameraConventions) {
    placeAtOrigin();
    // Right and up lands right and higher: a tenth of each scale away from the centre.
    expectNear(project(1.0, 1.0, -10.0), {400.0 + 67.03591, 300.0 - 79.10238}, 0.00001);
    call(SetRotation, {0.0, 90.0, 0.0});  // yaw +90 looks along -x
    expectNear(project(-10.0, 0.0, 0.0), Centre, 1e-9);
    call(SetRotation, {30.0, 0.0, 0.0});  // pitch +30 looks up
    expectNear(project(0.0, 5.0, -5.0 * std::sqrt(3.0)), Centre, 1e-9);
}

TEST_F(CameraProjectionTest, BlendLevelUsesThePlanesOfTheMomentAndRoundsHalfUp) {
    placeAtOrigin(10.0, 20.0);
    project(0.0, 0.0, -15.0);
    EXPECT_EQ(blend(), 128);  // 127.5
    project(0.0, 0.0, -19.99);
    EXPECT_EQ(blend(), 0);  // 0.255
    // Beyond the far plane, nearer than the near plane and behind the camera: out of view, yet
    // each gives its level, held to the ends of the range.
    const std::pair<double, int32_t> ends[] = {{-10.0, 255}, {-25.0, 0}, {-5.0, 255}, {5.0, 255}};
    for (const auto& [z, level] : ends) {
        project(0.0, 0.0, z);
        EXPECT_EQ(blend(), level) << "z " << z;
    }
    project(0.0, 0.0, -15.0);
    call(SetFarPlane, {40.0});
    EXPECT_EQ(blend(), 213) << "(15 - 40) x 255 / (10 - 40) = 212.5, without a new projection";
}

// Between the planes the level is the linear 255-to-0 ramp rounded to the nearest integer, so
// it falls with depth and covers the whole range.
TEST_F(CameraProjectionTest, BlendLevelFollowsTheLinearRampBetweenThePlanes) {
    for (int round = 0; round < 50; ++round) {
        const double nearPlane = uniform(0.01, 50.0);
        const double farPlane = nearPlane + uniform(0.01, 5000.0);
        placeAtOrigin(nearPlane, farPlane);
        std::vector<double> depths(40);
        for (double& depth : depths) depth = uniform(nearPlane, farPlane);
        std::sort(depths.begin(), depths.end());
        int32_t previous = 255;
        for (double depth : depths) {
            project(0.0, 0.0, -depth);
            const int32_t level = blend();
            const double ramp = 255.0 * (farPlane - depth) / (farPlane - nearPlane);
            EXPECT_NEAR(level, ramp, 0.5 + 1e-6) << nearPlane << " " << farPlane << " " << depth;
            EXPECT_LE(level, previous);
            previous = level;
        }
        // Just inside each plane the ends of the range.
        project(0.0, 0.0, -(nearPlane + (farPlane - nearPlane) * 1e-4));
        EXPECT_EQ(blend(), 255);
        project(0.0, 0.0, -(farPlane - (farPlane - nearPlane) * 1e-4));
        EXPECT_EQ(blend(), 0);
    }
}

TEST_F(CameraProjectionTest, DepthThatIsNotANumberGivesBlendLevelZero) {
    placeAtOrigin();
    EXPECT_EQ(project(0.0, std::nan(""), -10.0), Marker);
    EXPECT_TRUE(std::isnan(distance()));
    Answer level = call(GetBlendLevel);
    EXPECT_TRUE(level.isInteger()) << level.describe();
    EXPECT_EQ(level.integer(), 0);
}

// setRoll alone, with no re-aim after it, banks the picture: with roll +90 degrees a point
// right of the viewing axis lands below the centre and a point above it lands to the right.
TEST_F(CameraProjectionTest, RollSetAloneTurnsTheNextProjection) {
    placeAtOrigin();
    ASSERT_TRUE(call(SetRoll, {90.0}).isSymbol("Ok"));
    // x / depth = -0.1: a tenth of each scale away from the centre.
    expectNear(project(1.0, 0.0, -10.0), {400.0, 300.0 + 79.10238}, 0.00001);
    expectNear(project(0.0, 1.0, -10.0), {400.0 + 67.03591, 300.0}, 0.00001);
    ASSERT_TRUE(call(SetRoll, {-90.0}).isSymbol("Ok"));
    expectNear(project(0.0, 1.0, -10.0), {400.0 - 67.03591, 300.0}, 0.00001);
    // A tracking camera keeps its aim: the interest stays on the centre under any roll.
    call(SetInterest, {0.0, 0.0, -10.0});
    ASSERT_TRUE(call(SetRoll, {33.0}).isSymbol("Ok"));
    expectNear(project(0.0, 0.0, -10.0), Centre, 1e-9);
}

// The back-projection undoes the roll for the height only: a point seen with roll +90 comes
// back at its own height, while its x is not turned back.
TEST_F(CameraProjectionTest, BackProjectionUndoesTheRollForTheHeight) {
    placeAtOrigin();
    call(SetRoll, {90.0});
    const std::vector<double> seen = project(0.0, 1.0, -10.0);
    expectNear(back(seen[0], seen[1], -10.0), {1.0, 1.0, -10.0}, 1e-9);
    call(SetRoll, {-90.0});
    expectNear(back(500.0, 300.0, -10.0), {1.49174, -1.49174, -10.0}, 0.00001);
}

// An infinite picture ratio is accepted and makes only the horizontal scale zero: every
// visible point then lands on the centre line, and no stage point can be taken back.
TEST_F(CameraProjectionTest, ZeroHorizontalScaleAloneRefusesBackProjection) {
    ASSERT_TRUE(call(SetPictureRatio, {std::numeric_limits<double>::infinity()}).isSymbol("Ok"));
    ASSERT_NE(camera().scaleV, 0.0);
    EXPECT_EQ(project(5.0, 0.0, 0.0)[0], 400.0);
    const CameraState before = camera();
    Answer answer = call(GetCoordinates, {500.0, 200.0, 0.0});
    EXPECT_EQ(answer.status, 0);
    EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
    EXPECT_EQ(std::memcmp(&camera().lastView, &before.lastView, sizeof(Vec3)), 0);
    EXPECT_EQ(std::memcmp(&camera().lastWorld, &before.lastWorld, sizeof(Vec3)), 0);
}

TEST_F(CameraProjectionTest, RefusedCoordinateKeepsTheLastProjection) {
    project(0.0, 0.0, 0.0);
    const CameraState before = camera();
    host.writeOnRefusal(true);
    Answer answer = call(GetProjection, {5.0, Arg::symbol("up"), 7.0});
    EXPECT_EQ(answer.status, sim::StatusNotConvertible);
    EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
    EXPECT_EQ(distance(), before.lastView.z);
    EXPECT_EQ(camera().lastWorld.x, 5.0) << "converted before the refusal";
    EXPECT_EQ(camera().lastWorld.y, before.lastWorld.y) << "the host wrote there as it refused";
    EXPECT_EQ(camera().lastWorld.z, before.lastWorld.z);
    EXPECT_EQ(std::memcmp(&camera().lastScreen, &before.lastScreen, sizeof(StagePoint)), 0);
}

TEST_F(CameraProjectionTest, BackProjectionReproducesTheReferencePoints) {
    std::vector<double> world = back(400.0, 300.0, 0.0);
    expectNear(world, {0.0, 0.0093, 0.0}, 0.00005);
    EXPECT_EQ(world[2], 0.0) << "with yaw zero the z is worldZ";
    EXPECT_EQ(distance(), -20.0);
    expectNear(back(500.0, 200.0, 0.0), {2.9835, 2.5251, 0.0}, 0.00005);
    EXPECT_EQ(back(123.0, 456.0, 20.0), (std::vector<double>{0.0, 2.0, 20.0}));  // depth 0

    call(SetPosition, {0.0, 0.0, 0.0});
    call(SetRotation, {0.0, 90.0, 0.0});
    world = back(500.0, 300.0, -10.0);
    expectNear(world, {-10.0, 0.0, -1.4917}, 0.00005);
    EXPECT_NEAR(distance(), -1.4917, 0.00005) << "the result's z minus the camera's";
    expectNear(project(world[0], world[1], world[2]), {500.0, 300.0}, 1e-9);
    EXPECT_NEAR(distance(), -10.0, 1e-12);
    call(SetRotation, {0.0, 30.0, 0.0});
    world = back(500.0, 250.0, -10.0);
    expectNear(world, {-3.7081, 0.6321, -9.4061}, 0.00005);
    expectNear(project(world[0], world[1], world[2]), {500.0, 250.0}, 1e-9);
}

// Without pitch and roll the back-projection is the exact inverse, whatever the yaw.
TEST_F(CameraProjectionTest, BackProjectionInvertsProjectionForAnyYaw) {
    for (int i = 0; i < 300; ++i) {
        const double z = uniform(-500.0, 500.0);
        call(SetPosition, {uniform(-500.0, 500.0), uniform(-500.0, 500.0), z});
        call(SetRotation, {0.0, uniform(-180.0, 180.0), 0.0});
        const double h = uniform(0.0, 800.0), v = uniform(0.0, 600.0);
        const double depth = uniform(1.0, 1000.0);
        const std::vector<double> world = back(h, v, z - depth);
        ASSERT_EQ(world.size(), 3u);
        expectNear(project(world[0], world[1], world[2]), {h, v}, 1e-6);
        EXPECT_NEAR(distance(), -depth, 1e-9 * depth) << "case " << i;
    }
}

TEST_F(CameraProjectionTest, BackProjectionFailuresKeepTheLastViewAndWorld) {
    project(1.0, 2.0, 3.0);
    const CameraState before = camera();
    Answer answer = call(GetCoordinates, {10.0, 20.0, Arg::symbol("deep")});
    EXPECT_EQ(answer.status, sim::StatusNotConvertible);
    EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
    EXPECT_EQ(camera().lastScreen.v, 20.0);
    EXPECT_EQ(std::memcmp(&camera().lastView, &before.lastView, sizeof(Vec3)), 0);
    EXPECT_EQ(std::memcmp(&camera().lastWorld, &before.lastWorld, sizeof(Vec3)), 0);

    // A list that cannot be made is errInvalidParameter here, with the new point kept.
    host.failNewLists(1);
    Answer noList = call(GetCoordinates, {123.0, 456.0, 20.0});
    EXPECT_EQ(noList.status, 0);
    EXPECT_TRUE(noList.isSymbol("errInvalidParameter")) << noList.describe();
    EXPECT_EQ(camera().lastWorld.y, 2.0);
}

class ZeroStageTest : public CameraFixture {};

// A presentation window that is not a native window, or whose rectangle cannot be read, is a
// stage of 0 by 0 pixels: visible points land on (0, 0), and no stage point can be taken back.
TEST_F(ZeroStageTest, ProjectsOntoTheCornerAndRefusesBackProjection) {
    for (bool nativeWindow : {false, true}) {
        SCOPED_TRACE(nativeWindow ? "a rectangle that cannot be read" : "not a native window");
        host.setStageWindowKind(nativeWindow ? 1 : 2);
        host.failStageRect(nativeWindow);
        createCamera();
        EXPECT_EQ(camera().stageWidth, 0.0);
        EXPECT_EQ(camera().centreV, 0.0);
        EXPECT_EQ(call(GetProjection, {3.0, -1.0, 0.0}).point(), (std::vector<double>{0.0, 0.0}));
        const CameraState before = camera();
        Answer answer = call(GetCoordinates, {10.0, 20.0, 0.0});
        EXPECT_EQ(answer.status, 0);
        EXPECT_TRUE(answer.isSymbol("errInvalidParameter")) << answer.describe();
        EXPECT_EQ(camera().lastScreen.h, 10.0);
        EXPECT_EQ(std::memcmp(&camera().lastView, &before.lastView, sizeof(Vec3)), 0);
        EXPECT_EQ(std::memcmp(&camera().lastWorld, &before.lastWorld, sizeof(Vec3)), 0);
        destroyCamera();
    }
}

}  // namespace
}  // namespace test
