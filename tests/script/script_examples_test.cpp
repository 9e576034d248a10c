// The twins of docs/script-examples.md: each test makes one example's calls, in the example's
// order, through the plug-in as the host would, and checks every number and claim that the
// example's text makes. A test names the section it mirrors; when an example changes, its twin
// changes with it.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/script_fixture.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace test {
namespace {

const double Pi = 3.141592653589793;
const std::vector<double> OffStage{-2000.0, -2000.0};

class ScriptExamplesTest : public ScriptFixture {
  protected:
    void SetUp() override {
        host.setStageSize(800, 600);
        createCamera();
    }

    void expectOk(int32_t method, std::initializer_list<Arg> args) {
        Answer answer = call(method, args);
        EXPECT_EQ(answer.status, 0) << "method " << method;
        EXPECT_TRUE(answer.isSymbol("Ok")) << "method " << method << ": " << answer.describe();
    }

    // "Set up a camera", call for call.
    void setUpCamera() {
        expectOk(SetFieldOfView, {Arg::integer(50)});
        expectOk(SetPictureRatio, {1.0});
        expectOk(SetFarPlane, {Arg::integer(80)});
        expectOk(SetNearPlane, {0.5});
        expectOk(SetPosition, {Arg::integer(0), Arg::integer(6), Arg::integer(25)});
        expectOk(SetInterest, {Arg::integer(0), Arg::integer(1), Arg::integer(0)});
        gLens = measureLens().value_or(std::vector<double>{});
        EXPECT_EQ(gLens.size(), 4u) << "measureLens answers a lens";
    }

    std::vector<double> gLens;  // what "Set up a camera" keeps of measureLens

    std::vector<double> project(double x, double y, double z) {
        return call(GetProjection, {x, y, z}).point();
    }
    double distance() { return call(GetDistance).real(); }
    int32_t blend() { return call(GetBlendLevel).integer(); }
    std::vector<double> rotation() { return call(GetRotation).list(); }
    std::vector<double> coordinates(double h, double v, double worldZ) {
        return call(GetCoordinates, {h, v, worldZ}).list();
    }

    // "Find the camera's centre and scale", step for step as the script does it: {centreH,
    // centreV, scaleH, scaleV}, or nothing when the point on the viewing axis is out of view.
    std::optional<std::vector<double>> measureLens() {
        const double deg = Pi / 180.0;
        const std::vector<double> r = rotation();
        const double sinP = std::sin(r.at(0) * deg), cosP = std::cos(r.at(0) * deg);
        const double sinY = std::sin(r.at(1) * deg), cosY = std::cos(r.at(1) * deg);
        const double d = (call(GetNearPlane).real() + call(GetFarPlane).real()) / 2.0;
        const std::vector<double> c = call(GetPosition).list();
        const double x = c.at(0) - d * sinY * cosP;
        const double y = c.at(1) + d * sinP;
        const double z = c.at(2) - d * cosY * cosP;
        const std::vector<double> p = project(x, y, z);
        if (p == OffStage) return std::nullopt;
        const std::vector<double> a = project(x + d * cosY, y, z - d * sinY);
        const std::vector<double> b =
            project(x + d * sinP * sinY, y + d * cosP, z + d * sinP * cosY);
        const double ah = a.at(0) - p.at(0), av = a.at(1) - p.at(1);
        const double bh = b.at(0) - p.at(0), bv = b.at(1) - p.at(1);
        return std::vector<double>{p.at(0), p.at(1), std::sqrt(ah * ah + bh * bh),
                                   std::sqrt(av * av + bv * bv)};
    }

    // The ray arithmetic of "Pick a point on the ground (exact)", step for step as the
    // script does it: from the camera's getters and the lens that measureLens answered.
    std::optional<std::vector<double>> groundPoint(double h, double v,
                                                   const std::vector<double>& lens) {
        const double deg = Pi / 180.0;
        const std::vector<double> r = rotation();
        const double pitch = r.at(0) * deg;
        const double yaw = r.at(1) * deg;
        const double roll = r.at(2) * deg;
        const double cx = (h - lens.at(0)) / lens.at(2);
        const double cy = (lens.at(1) - v) / lens.at(3);
        const double x1 = std::cos(roll) * cx - std::sin(roll) * cy;
        const double y2 = std::sin(roll) * cx + std::cos(roll) * cy;
        const double dy = std::cos(pitch) * y2 + std::sin(pitch);
        const double z1 = std::sin(pitch) * y2 - std::cos(pitch);
        const double dx = std::cos(yaw) * x1 + std::sin(yaw) * z1;
        const double dz = std::cos(yaw) * z1 - std::sin(yaw) * x1;
        const std::vector<double> c = call(GetPosition).list();
        if (dy == 0.0) return std::nullopt;
        const double t = -c.at(1) / dy;
        if (t <= 0.0) return std::nullopt;
        return std::vector<double>{c.at(0) + t * dx, 0.0, c.at(2) + t * dz};
    }

    // "Draw a line that passes behind the camera": clipLine, step for step.
    std::optional<std::vector<std::vector<double>>> clipLine(std::vector<double> a,
                                                             std::vector<double> b) {
        const double edge = -1.001 * call(GetNearPlane).real();
        project(a[0], a[1], a[2]);
        const double da = distance();
        project(b[0], b[1], b[2]);
        const double db = distance();
        if (da > edge && db > edge) return std::nullopt;
        const auto moveTo = [](std::vector<double>& end, const std::vector<double>& other,
                               double t) {
            for (int i = 0; i < 3; ++i) end[i] = end[i] + t * (other[i] - end[i]);
        };
        if (da > edge) moveTo(a, b, (edge - da) / (db - da));
        if (db > edge) moveTo(b, a, (edge - db) / (da - db));
        return std::vector<std::vector<double>>{project(a[0], a[1], a[2]),
                                                project(b[0], b[1], b[2])};
    }

    // "Move the camera along its own axes": moveCamera, step for step.
    void moveCamera(double right, double up, bool tracking) {
        const double deg = Pi / 180.0;
        const std::vector<double> r = rotation();
        const double sinP = std::sin(r.at(0) * deg), cosP = std::cos(r.at(0) * deg);
        const double sinY = std::sin(r.at(1) * deg), cosY = std::cos(r.at(1) * deg);
        const double dx = right * cosY + up * sinP * sinY;
        const double dy = up * cosP;
        const double dz = -right * sinY + up * sinP * cosY;
        if (tracking) {
            const std::vector<double> i = call(GetInterest).list();
            expectOk(SetInterest, {i.at(0) + dx, i.at(1) + dy, i.at(2) + dz});
        }
        const std::vector<double> c = call(GetPosition).list();
        expectOk(SetPosition, {c.at(0) + dx, c.at(1) + dy, c.at(2) + dz});
    }

    // "Correct for a framed stage": fitFramedStage, step for step; the shift {dh, dv}, or
    // nothing when nothing is in view.
    std::vector<double> fitFramedStage(double fov, double stageW, double stageH) {
        const double deg = Pi / 180.0;
        expectOk(SetFieldOfView, {fov});
        const std::optional<std::vector<double>> lens = measureLens();
        if (!lens) return {};
        const double t = std::tan(fov / 2 * deg) * lens->at(1) * 2 / stageH;
        expectOk(SetFieldOfView, {2 * std::atan(t) / deg});
        return {lens->at(0) - stageW / 2.0, lens->at(1) - stageH / 2.0};
    }
};

void expectNear(const std::vector<double>& actual, const std::vector<double>& expected,
                double tolerance, const std::string& what = "") {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << what << ", item " << i;
    }
}

double pixelsApart(const std::vector<double>& a, double h, double v) {
    return std::hypot(a.at(0) - h, a.at(1) - v);
}

// --- Set up a camera
TEST_F(ScriptExamplesTest, SetUpACamera) {
    setUpCamera();  // every call answers #Ok
    expectNear(rotation(), {-11.31, 0.0, 0.0}, 0.005, "pitch -11.31, yaw 0, roll 0");
    expectNear(project(0.0, 1.0, 0.0), {400.0, 300.0}, 1e-9, "the interest on the centre");
    EXPECT_NEAR(-distance(), 25.5, 0.05) << "looks at the interest from 25.5 units away";

    // "1: squares stay square": a small square across the viewing axis at the interest is as
    // wide as it is tall on the stage. The camera's right and up axes, from its angles.
    const double pitch = rotation()[0] * Pi / 180.0;
    const std::vector<double> right = project(0.5, 1.0, 0.0);
    const std::vector<double> left = project(-0.5, 1.0, 0.0);
    const std::vector<double> top =
        project(0.0, 1.0 + 0.5 * std::cos(pitch), 0.5 * std::sin(pitch));
    const std::vector<double> bottom =
        project(0.0, 1.0 - 0.5 * std::cos(pitch), -0.5 * std::sin(pitch));
    EXPECT_NEAR(right[0] - left[0], bottom[1] - top[1], 1e-9);
    EXPECT_GT(right[0] - left[0], 20.0);

    // "far first: a near plane beyond the far plane is refused".
    Answer refused = call(SetNearPlane, {Arg::integer(100)});
    EXPECT_TRUE(refused.isSymbol("errInvalidParameter")) << refused.describe();
    EXPECT_EQ(call(GetNearPlane).real(), 0.1) << "a refused near plane becomes 0.1";
    expectOk(SetNearPlane, {0.5});

    // "tracking: later moves keep looking here".
    expectOk(SetPosition, {Arg::integer(7), Arg::integer(3), Arg::integer(-12)});
    expectNear(project(0.0, 1.0, 0.0), {400.0, 300.0}, 1e-9, "still on the centre after a move");
}

// --- Find the camera's centre and scale
TEST_F(ScriptExamplesTest, FindTheCamerasCentreAndScale) {
    setUpCamera();
    expectNear(gLens, {400.0, 300.0, 643.35, 643.35}, 0.005, "full screen, 800 x 600");
    EXPECT_NEAR(distance(), -40.25, 1e-9) << "the last projection is measureLens's own";
    expectOk(SetRoll, {Arg::integer(15)});
    expectNear(*measureLens(), {400.0, 300.0, 643.35, 643.35}, 0.005, "whatever the roll");
    EXPECT_EQ(fitFramedStage(50.0, 800.0, 600.0), (std::vector<double>{0.0, 0.0}));

    // A window whose frame and title bar make it 808 x 634 pixels outside, at ratio 1.25.
    destroyCamera();
    host.setStageSize(808, 634);
    createCamera();
    setUpCamera();
    expectOk(SetPictureRatio, {1.25});
    const std::vector<double> lens = *measureLens();
    expectNear(lens, {404.0, 317.0, 543.85, 679.81}, 0.005, "808 x 634, ratio 1.25");
    const double scaleV = 317.0 / std::tan(25.0 * Pi / 180.0);  // half the outer height
    expectNear(lens, {404.0, 317.0, scaleV / 1.25, scaleV}, 1e-9, "to the last digits");
    // "Correct for a framed stage" for a stage of 800 x 600: (1, 1, 0) less the shift lands as
    // full screen.
    expectOk(SetPictureRatio, {1.0});
    const std::vector<double> shift = fitFramedStage(50.0, 800.0, 600.0);
    expectNear(shift, {4.0, 17.0}, 1e-9, "the shift");
    expectNear(*measureLens(), {404.0, 317.0, 643.35, 643.35}, 0.005, "the stage's own scale");
    const std::vector<double> p = project(1.0, 1.0, 0.0);
    expectNear({p[0] - shift[0], p[1] - shift[1]}, {425.234, 300.0}, 0.0005, "less the shift");

    // Near plane equal to the far plane: nothing is in view.
    expectOk(SetNearPlane, {Arg::integer(80)});
    EXPECT_FALSE(measureLens());

#if defined(_WIN32)
    // A real window with a frame and a title bar around an inside of 800 x 600: the camera
    // takes the outer rectangle, as GetWindowRect gives it.
    RECT size{0, 0, 800, 600};
    ASSERT_TRUE(AdjustWindowRect(&size, WS_OVERLAPPEDWINDOW, FALSE));
    HWND framed = CreateWindowExA(0, "STATIC", "Framed stage", WS_OVERLAPPEDWINDOW, 50, 50,
                                  size.right - size.left, size.bottom - size.top, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(framed, nullptr);
    RECT inside{}, outside{};
    GetClientRect(framed, &inside);
    GetWindowRect(framed, &outside);
    EXPECT_EQ(inside.right, 800);
    EXPECT_EQ(inside.bottom, 600);
    const double outerH = outside.right - outside.left, outerV = outside.bottom - outside.top;
    EXPECT_GT(outerV, 600.0) << "the title bar and frame add to the outside";
    destroyCamera();
    host.setStageWindow(framed);
    createCamera();
    setUpCamera();
    const double framedScaleV = outerV / 2.0 / std::tan(25.0 * Pi / 180.0);
    expectNear(*measureLens(), {outerH / 2.0, outerV / 2.0, framedScaleV, framedScaleV}, 1e-9,
               "a framed window");
    destroyCamera();
    host.setStageWindow(nullptr);
    DestroyWindow(framed);
#endif
}

// --- Choose a field of view
TEST_F(ScriptExamplesTest, ChooseAFieldOfView) {
    // angleAcross, on a new camera turned level: half of it beside the axis is the stage's edge.
    expectOk(SetRotation, {Arg::integer(0), Arg::integer(0), Arg::integer(0)});
    for (const auto& [ratio, across] : {std::pair<double, double>{1.18, 61.6}, {1.0, 53.6}}) {
        expectOk(SetPictureRatio, {ratio});
        const double angle = 2.0 * std::atan(measureLens()->at(0) / measureLens()->at(2));
        EXPECT_NEAR(angle * 180.0 / Pi, across, 0.05) << "ratio " << ratio;
        EXPECT_NEAR(project(10.0 * std::tan(angle / 2.0), 2.0, 10.0)[0], 800.0, 1e-9);
    }
    expectOk(SetPictureRatio, {800.0 / 600.0});  // a square 0.75 times as wide as it is tall
    EXPECT_NEAR((project(0.5, 2.0, 10.0)[0] - project(-0.5, 2.0, 10.0)[0]) /
                    (project(0.0, 1.5, 10.0)[1] - project(0.0, 2.5, 10.0)[1]),
                0.75, 1e-12);
    // frameHeight(gCam, 10, sqrt(650)): a post 10 high at the interest, along the camera's up
    // axis, reaches from the top of the stage to its bottom.
    setUpCamera();
    const double d = std::sqrt(650.0), pitch = rotation()[0] * Pi / 180.0;
    expectOk(SetFieldOfView, {2.0 * std::atan(10.0 / (2.0 * d)) * 180.0 / Pi});
    EXPECT_NEAR(call(GetFieldOfView).real(), 22.19, 0.005);
    EXPECT_NEAR(project(0.0, 1.0 + 5.0 * std::cos(pitch), 5.0 * std::sin(pitch))[1], 0.0, 1e-9);
    EXPECT_NEAR(project(0.0, 1.0 - 5.0 * std::cos(pitch), -5.0 * std::sin(pitch))[1], 600.0, 1e-9);
}

// --- Project a vertex
TEST_F(ScriptExamplesTest, ProjectAVertex) {
    setUpCamera();
    // Not a number: the call fails with the host's own conversion status.
    Answer notANumber = call(GetProjection, {Arg::string("one"), 1.0, 0.0});
    EXPECT_EQ(notANumber.status, sim::StatusNotConvertible) << notANumber.describe();

    Answer vertex = call(GetProjection, {Arg::integer(1), Arg::integer(1), Arg::integer(0)});
    EXPECT_EQ(vertex.status, 0);
    const std::vector<double> p = vertex.point();  // items that are not floats would stand out
    expectNear(p, {425.234, 300.0}, 0.0005, "(1, 1, 0)");
    EXPECT_NE(p[0], std::round(p[0])) << "a point of floats, not rounded";

    EXPECT_EQ(project(0.0, 6.0, 40.0), OffStage) << "behind the camera";
    EXPECT_NEAR(distance(), 14.7087, 0.00005);
    EXPECT_EQ(project(0.0, 1.0, -80.0), OffStage) << "beyond the far plane";
    EXPECT_NEAR(distance(), -103.9416, 0.00005);
    EXPECT_EQ(project(0.0, 6.0, 24.8), OffStage) << "nearer than the near plane";
    EXPECT_NEAR(distance(), -0.1961, 0.00005);
}

// --- Draw a line that passes behind the camera
TEST_F(ScriptExamplesTest, DrawALineThatPassesBehindTheCamera) {
    setUpCamera();
    // The ground line x = 2 from z = 40, behind the camera, to z = -40.
    const std::vector<std::vector<double>> line = clipLine({2, 0, 40}, {2, 0, -40}).value();
    const std::vector<double>&p = line[0], &q = line[1];
    EXPECT_EQ(q, project(2, 0, -40)) << "an end in view stays";
    EXPECT_GT(p[1], 600.0) << "the end at the near plane lies below the stage";
    const std::vector<double> m = project(2.0, 0.0, 20.0);  // in view: it lies between p and q
    const double cross = (q[0] - p[0]) * (m[1] - p[1]) - (q[1] - p[1]) * (m[0] - p[0]);
    EXPECT_NEAR(cross / std::hypot(q[0] - p[0], q[1] - p[1]), 0.0, 1e-6);
    EXPECT_LT((m[1] - p[1]) * (m[1] - q[1]), 0.0);
    clipLine({2, 0, -40}, {2, 0, 40});  // the other way round: its near end is the last projected
    EXPECT_NEAR(distance(), -1.001 * 0.5, 1e-9) << "just in front of the near plane";
    EXPECT_FALSE(clipLine({-5, 0, 30}, {5, 0, 30})) << "wholly behind the camera";
}

// --- Draw far things first (depth sort with getDistance)
TEST_F(ScriptExamplesTest, DrawFarThingsFirst) {
    setUpCamera();
    struct Object {
        std::string name;
        double x, y, z;
        double depth;  // as the text gives it
    };
    const std::vector<Object> objects{{"rock", 2, 0, 10, -15.89},
                                      {"tree", 0, 0, -10, -35.50},
                                      {"bird", 0, 3, 0, -25.10},
                                      {"ghost", 0, 6, 40, 14.71}};
    std::vector<std::pair<double, std::string>> order;  // the sorted property list
    for (const Object& obj : objects) {
        const std::vector<double> p = project(obj.x, obj.y, obj.z);
        const double depth = distance();
        EXPECT_NEAR(depth, obj.depth, 0.005) << obj.name;
        if (p != OffStage) {
            const std::pair<double, std::string> entry{depth, obj.name};
            order.insert(std::upper_bound(order.begin(), order.end(), entry), entry);
        }
    }
    EXPECT_EQ(project(0.0, 6.0, 40.0), OffStage) << "the ghost is behind the camera";
    ASSERT_EQ(order.size(), 3u) << "the ghost is left out";
    EXPECT_EQ(order[0].second, "tree");
    EXPECT_EQ(order[1].second, "bird");
    EXPECT_EQ(order[2].second, "rock");
}

// --- Fade with distance (depth cue with getBlendLevel)
TEST_F(ScriptExamplesTest, FadeWithDistance) {
    // A new camera first, with the default far plane: points straight ahead along its
    // viewing axis, 100 and 1000 units away.
    const double pitch = rotation()[0] * Pi / 180.0;
    for (const auto& [ahead, level] : {std::pair<double, int32_t>{100.0, 254}, {1000.0, 247}}) {
        project(0.0, 2.0 + ahead * std::sin(pitch), 20.0 - ahead * std::cos(pitch));
        EXPECT_NEAR(distance(), -ahead, 1e-9);
        EXPECT_EQ(blend(), level) << ahead << " units ahead";
    }

    setUpCamera();
    project(0.0, 1.0, 0.0);
    EXPECT_NEAR(-distance(), 25.5, 0.05);
    EXPECT_EQ(blend(), 175) << "the interest with planes 0.5 and 80";
    project(0.0, 6.0 - 0.5 * std::sin(0.2), 25.0 - 0.5001 * std::cos(0.2));  // just past near
    EXPECT_EQ(blend(), 255);

    // "A fade of your own": fadeLevel(gCam, 20, 60) straight ahead; getBlendLevel gives the same
    // only with planes 20 and 60, which hide what is not between them.
    const double slope = rotation()[0] * Pi / 180.0;
    const auto ahead = [&](double s) {
        return project(0.0, 6.0 + s * std::sin(slope), 25.0 - s * std::cos(slope));
    };
    for (const auto& [s, level] : {std::pair<double, int32_t>{10, 255}, {40, 128}, {55, 32}}) {
        ahead(s);
        const double c = (60.0 - -distance()) * 255.0 / (60.0 - 20.0);
        EXPECT_EQ(call(Floor, {call(Limit, {c, 0.0, 255.0}).real() + 0.5}).integer(), level) << s;
    }
    expectOk(SetNearPlane, {Arg::integer(20)});
    expectOk(SetFarPlane, {Arg::integer(60)});
    EXPECT_NE(ahead(40.0), OffStage);
    EXPECT_EQ(blend(), 128);
    EXPECT_EQ(ahead(10.0), OffStage);
}

// --- Size a sprite by its depth
TEST_F(ScriptExamplesTest, SizeASpriteByItsDepth) {
    setUpCamera();
    const double s = gLens.at(3);
    EXPECT_NEAR(s, 643.35, 0.005);
    project(0.0, 1.0, 0.0);  // the object's centre: the interest
    const double pixelHeight = 2.0 * s / -distance();
    EXPECT_NEAR(pixelHeight, 50.47, 0.005);

    // A 2-unit post across the viewing axis, along the camera's up direction, at the interest.
    const double pitch = rotation()[0] * Pi / 180.0;
    const std::vector<double> top = project(0.0, 1.0 + std::cos(pitch), std::sin(pitch));
    const std::vector<double> bottom = project(0.0, 1.0 - std::cos(pitch), -std::sin(pitch));
    EXPECT_NEAR(bottom[1] - top[1], pixelHeight, 0.01);
    // Across, an object 2 units wide at ratio 2: L * s / (ratio * d), the third item being
    // s / ratio.
    expectOk(SetPictureRatio, {2.0});
    const double scaleH = measureLens()->at(2);
    EXPECT_NEAR(scaleH, s / 2.0, 1e-9);
    const std::vector<double> right = project(1.0, 1.0, 0.0);
    const std::vector<double> left = project(-1.0, 1.0, 0.0);
    EXPECT_NEAR(right[0] - left[0], 2.0 * s / (2.0 * 25.495), 0.01);
    EXPECT_NEAR(right[0] - left[0], 2.0 * scaleH / -distance(), 1e-9);
}

// --- Move the camera along its own axes
TEST_F(ScriptExamplesTest, MoveTheCameraAlongItsOwnAxes) {
    setUpCamera();
    const std::vector<double> before = rotation();
    moveCamera(3.0, 2.0, true);
    expectNear(rotation(), before, 1e-9, "tracking: the interest moves along, no turn");
    expectNear(project(0.0, 1.0, 0.0), {324.3, 350.5}, 0.05, "the old interest");

    // A free camera: sideways keeps v and the depth, up keeps h and the depth.
    expectOk(SetRotation, {Arg::integer(-20), Arg::integer(35), Arg::integer(0)});
    const std::vector<double> seen = project(0.0, 1.0, 0.0);
    const double d = -distance(), s = gLens.at(3);
    moveCamera(3.0, 0.0, false);
    expectNear(project(0.0, 1.0, 0.0), {seen[0] - 3.0 * s / d, seen[1]}, 1e-9, "sideways");
    moveCamera(0.0, 2.0, false);
    expectNear(project(0.0, 1.0, 0.0), {seen[0] - 3.0 * s / d, seen[1] + 2.0 * s / d}, 1e-9, "up");
    EXPECT_NEAR(distance(), -d, 1e-9);
}

// --- Fly and bank
TEST_F(ScriptExamplesTest, FlyAndBank) {
    setUpCamera();
    const double yaws[] = {0.0, 14.32, 28.65};
    for (int second = 0; second <= 2; ++second) {
        const double t = second;  // the ticks / 60.0
        expectOk(SetPosition,
                 {20.0 * std::sin(t / 4.0), Arg::integer(6), 20.0 * std::cos(t / 4.0)});
        expectOk(SetRoll, {Arg::integer(15)});
        const std::vector<double> r = rotation();
        EXPECT_NEAR(r[1], yaws[second], 0.005) << "the yaw grows: it turns left";
        EXPECT_NEAR(r[2], 15.0, 1e-12) << "the roll stays 15";
        expectNear(project(0.0, 1.0, 0.0), {400.0, 300.0}, 1e-9, "the interest stays centred");
        EXPECT_GT(project(1.0, 1.0, 0.0)[1], 300.0) << "banked left: right of it lands below";
    }

    // setRotation stops tracking: setPosition then moves without turning, until setInterest.
    expectOk(SetRotation, {Arg::integer(-10), Arg::integer(30), Arg::integer(0)});
    expectOk(SetPosition, {Arg::integer(5), Arg::integer(6), Arg::integer(25)});
    expectNear(rotation(), {-10.0, 30.0, 0.0}, 1e-12, "moved without turning");
    expectOk(SetInterest, {Arg::integer(0), Arg::integer(1), Arg::integer(0)});
    expectNear(project(0.0, 1.0, 0.0), {400.0, 300.0}, 1e-9, "tracking again");

    // "With a target yaw of 170 and a yaw of -170 the turn is -20, not 340."
    Answer turn = call(Constrain, {170.0 - (-170.0), Arg::integer(-180), Arg::integer(180)});
    EXPECT_TRUE(turn.isFloat()) << turn.describe();
    EXPECT_EQ(turn.real(), -20.0);
}

// --- Pick a point (getCoordinates)
TEST_F(ScriptExamplesTest, PickAPoint) {
    setUpCamera();
    const double camZ = call(GetPosition).list().at(2);
    struct Click {
        double h, v;
        std::vector<double> seen;
        double depth;
    };
    for (const Click& click :
         {Click{400, 450, {400.0, 433.3}, -15.96}, Click{700, 550, {674.3, 517.5}, -16.41},
          Click{0, 600, {39.2, 558.0}, -16.63}}) {
        const std::vector<double> hit = coordinates(click.h, click.v, camZ - 15.0);
        ASSERT_EQ(hit.size(), 3u);
        expectNear(project(hit[0], hit[1], hit[2]), click.seen, 0.05, "projected again");
        EXPECT_NEAR(distance(), click.depth, 0.005);
    }
    EXPECT_NEAR(pixelsApart(project(coordinates(0, 600, camZ - 15.0)[0],
                                    coordinates(0, 600, camZ - 15.0)[1],
                                    coordinates(0, 600, camZ - 15.0)[2]),
                            0, 600),
                57.5, 0.05);

    // Over the whole stage, in steps of 10 pixels.
    double worst = 0.0, worstH = -1.0, worstV = -1.0;
    double nearest = -1e9, farthest = 0.0;
    for (int h = 0; h <= 800; h += 10) {
        for (int v = 0; v <= 600; v += 10) {
            const std::vector<double> hit = coordinates(h, v, camZ - 15.0);
            const double apart = pixelsApart(project(hit[0], hit[1], hit[2]), h, v);
            const double depth = distance();
            nearest = std::max(nearest, depth);
            farthest = std::min(farthest, depth);
            if (apart > worst) {
                worst = apart;
                worstH = h;
                worstV = v;
            }
        }
    }
    EXPECT_NEAR(nearest, -13.94, 0.005);
    EXPECT_NEAR(farthest, -16.63, 0.005);
    EXPECT_NEAR(worst, 57.5, 0.05);
    EXPECT_EQ(worstH, 0.0);
    EXPECT_EQ(worstV, 600.0);

    // "With pitch and roll 0 the answer lies exactly under the mouse."
    expectOk(SetRotation, {Arg::integer(0), Arg::integer(30), Arg::integer(0)});
    for (const auto& [h, v] : {std::pair<double, double>{0, 600}, {700, 550}, {123, 45}}) {
        const std::vector<double> hit = coordinates(h, v, camZ - 15.0);
        expectNear(project(hit[0], hit[1], hit[2]), {h, v}, 1e-9, "unpitched: exact");
    }
}

// --- Pick a point on the ground (exact)
TEST_F(ScriptExamplesTest, PickAPointOnTheGround) {
    setUpCamera();
    const std::vector<double> lens = gLens;  // taken once, kept through setRoll and setRotation
    const std::vector<double> position = call(GetPosition).list();

    // Two getCoordinates calls: their answers lie on one straight line through the camera...
    const std::vector<double> a = coordinates(0, 600, 15.0);
    const std::vector<double> b = coordinates(0, 600, 5.0);
    const std::vector<double> c = coordinates(0, 600, -30.0);
    for (int axis = 0; axis < 3; ++axis) {
        // Depths -10, -20 and -55: b and c are a's offset from the camera times 2 and 5.5.
        EXPECT_NEAR(c[axis] - position[axis], (a[axis] - position[axis]) * 5.5, 1e-9);
        EXPECT_NEAR(b[axis] - position[axis], (a[axis] - position[axis]) * 2.0, 1e-9);
    }
    // ...but not on the viewing ray: where that line meets y = 0 is as far off as above.
    const double t = a[1] / (a[1] - b[1]);
    const std::vector<double> meet{a[0] + t * (b[0] - a[0]), 0.0, a[2] + t * (b[2] - a[2])};
    EXPECT_NEAR(pixelsApart(project(meet[0], meet[1], meet[2]), 0, 600), 57.5, 0.05);

    // The recipe: exact up to rounding for every click below the horizon; a ground point
    // beyond the far plane is answered off stage.
    int seen = 0, beyond = 0;
    for (int h = 0; h <= 800; h += 10) {
        for (int v = 0; v <= 600; v += 10) {
            const std::optional<std::vector<double>> ground = groundPoint(h, v, lens);
            if (!ground) continue;
            EXPECT_EQ((*ground)[1], 0.0);
            const std::vector<double> stage = project((*ground)[0], 0.0, (*ground)[2]);
            if (stage == OffStage) {
                EXPECT_LT(distance(), -80.0) << h << ", " << v;
                EXPECT_LE(v, 220) << "only just below the horizon";
                ++beyond;
                continue;
            }
            ++seen;
            EXPECT_LT(pixelsApart(stage, h, v), 1e-9) << h << ", " << v;
        }
    }
    EXPECT_EQ(seen + beyond, 81 * 43) << "the rows from v = 180 down have ground points";
    EXPECT_EQ(beyond, 81 * 5) << "the rows v = 180 to 220 lie beyond the far plane";
    EXPECT_FALSE(groundPoint(400, 100, lens)) << "above the horizon the ray misses the ground";
    expectNear(*groundPoint(400, 450, lens), {0.0, 0.0, 11.79}, 0.005, "(400, 450)");
    expectNear(*groundPoint(700, 550, lens), {4.85, 0.0, 15.60}, 0.005, "(700, 550)");

    // "The same holds after setRoll and for any yaw."
    expectOk(SetRoll, {Arg::integer(15)});
    for (const double yaw : {-150.0, -35.0, 60.0, 180.0}) {
        expectOk(SetRotation, {-20.0, yaw, Arg::integer(15)});
        for (const auto& [h, v] : {std::pair<double, double>{0, 600}, {700, 550}, {400, 400}}) {
            const std::optional<std::vector<double>> ground = groundPoint(h, v, lens);
            ASSERT_TRUE(ground) << "yaw " << yaw;
            EXPECT_LT(pixelsApart(project((*ground)[0], 0.0, (*ground)[2]), h, v), 1e-9)
                << "yaw " << yaw << " at " << h << ", " << v;
        }
    }

    // "in any window and at any ratio": a window 808 x 634 outside, at ratio 1.25.
    destroyCamera();
    host.setStageSize(808, 634);
    createCamera();
    setUpCamera();
    expectOk(SetPictureRatio, {1.25});
    const std::vector<double> framedLens = *measureLens();
    for (const auto& [h, v] : {std::pair<double, double>{0, 634}, {700, 550}, {404, 400}}) {
        const std::optional<std::vector<double>> ground = groundPoint(h, v, framedLens);
        ASSERT_TRUE(ground) << h << ", " << v;
        EXPECT_LT(pixelsApart(project((*ground)[0], 0.0, (*ground)[2]), h, v), 1e-9)
            << h << ", " << v;
    }
}

// --- Math handlers
TEST_F(ScriptExamplesTest, MathHandlers) {
    Answer asinHalf = call(Asin, {0.5});
    EXPECT_TRUE(asinHalf.isFloat());
    EXPECT_NEAR(asinHalf.real(), 0.5236, 0.00005) << "radians";
    Answer wrapped = call(Constrain, {Arg::integer(370), Arg::integer(0), Arg::integer(360)});
    EXPECT_TRUE(wrapped.isFloat());
    EXPECT_EQ(wrapped.real(), 10.0);
    Answer clamped = call(Limit, {Arg::integer(12), Arg::integer(0), Arg::integer(10)});
    EXPECT_TRUE(clamped.isFloat());
    EXPECT_EQ(clamped.real(), 10.0);
    Answer sign = call(Sgn, {Arg::integer(0)});
    EXPECT_TRUE(sign.isInteger());
    EXPECT_EQ(sign.integer(), 1);
    Answer down = call(Floor, {-2.5});
    EXPECT_TRUE(down.isInteger());
    EXPECT_EQ(down.integer(), -3);
    Answer up = call(Ceiling, {-2.5});
    EXPECT_TRUE(up.isInteger());
    EXPECT_EQ(up.integer(), -2);
    Answer refused = call(Asin, {Arg::integer(2)});
    EXPECT_TRUE(refused.isSymbol("errParamInvalid")) << refused.describe();
}

}  // namespace
}  // namespace test
