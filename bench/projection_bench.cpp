// What a projection costs, measured in one run so that the ratios between the figures hold:
//
// - the module's projection arithmetic per point (projectPoint), beside the same formula
//   written out inline here as the floor, and beside the conventional 4x4 matrix path (GLM
//   look-at and perspective matrices) that a user would otherwise reach for;
// - getProjection as a script calls it, through Call with the simulated host, beside the
//   host's own value operations for one call, so the difference is the module's share;
// - the setters that recompute derived data: setPosition with re-aiming, setRotation and
//   setFieldOfView.
//
// Before anything is timed, main() checks that the three ways of projecting agree on every
// point, and that a dispatched getProjection makes exactly the host calls that the host-only
// measurement repeats; a disagreement ends the program with status 2.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

#include "bench/bench_camera.h"
#include "xtra/camera/orientation.h"
#include "xtra/camera/projection.h"

namespace {

constexpr size_t PointCount = 1024;      // one batch per iteration; small enough to stay in cache
constexpr double StageTolerance = 1e-6;  // pixels, between the module and the matrix path

// ---- The bare formula, written out inline with the camera's values in locals: the floor the
// module's projection is held against.
struct BareCamera {
    double px, py, pz;
    double cosNegYaw, sinNegYaw, cosPitch, sinPitch, cosRoll, sinRoll;
    double nearPlane, farPlane;
    double scaleH, scaleV, centreH, centreV;
};

BareCamera bareCameraOf(const CameraState& c) {
    const RotationTable& t = c.rotationTable;
    return BareCamera{c.position.x, c.position.y, c.position.z, t.cosNegYaw, t.sinNegYaw,
                      t.cosPitch,   t.sinPitch,   t.cosRoll,    t.sinRoll,   c.nearPlane,
                      c.farPlane,   c.scaleH,     c.scaleV,     c.centreH,   c.centreV};
}

inline Projection bareProjection(const Vec3& p, const BareCamera& c) {
    const double dx = p.x - c.px;
    const double dy = p.y - c.py;
    const double dz = p.z - c.pz;
    const double x1 = c.cosNegYaw * dx + c.sinNegYaw * dz;
    const double z1 = c.cosNegYaw * dz - c.sinNegYaw * dx;
    const double y2 = c.cosPitch * dy + c.sinPitch * z1;
    const double depth = c.cosPitch * z1 - c.sinPitch * dy;
    if (!(-c.farPlane < depth && depth < -c.nearPlane)) {
        return Projection{Vec3{dx, dy, depth}, StagePoint{-2000.0, -2000.0}};
    }
    const double x3 = c.sinRoll * y2 + c.cosRoll * x1;
    const double y3 = c.cosRoll * y2 - c.sinRoll * x1;
    return Projection{Vec3{x3, y3, depth}, StagePoint{c.centreH - (x3 / depth) * c.scaleH,
                                                      (y3 / depth) * c.scaleV + c.centreV}};
}

// ---- The conventional path: a look-at view matrix and a perspective matrix, 4x4 doubles,
// clip test against w, divide by w, then the viewport mapping onto the module's stage: one
// unit of normalised x or y is centreV pixels (the picture ratio is the projection's aspect).
struct MatrixCamera {
    glm::dmat4 view;
    glm::dmat4 projection;
    glm::dmat4 combined;  // projection * view, as a user who multiplies them once would keep
    double centreH, centreV;
};

MatrixCamera matrixCameraOf(const CameraState& c) {
    // The camera's axes from its angles (once, not per point): forward, and up turned by roll.
    const double sp = std::sin(c.pitch), cp = std::cos(c.pitch);
    const double sy = std::sin(c.yaw), cy = std::cos(c.yaw);
    const double sr = std::sin(c.roll), cr = std::cos(c.roll);
    const glm::dvec3 eye(c.position.x, c.position.y, c.position.z);
    const glm::dvec3 forward(-sy * cp, sp, -cy * cp);
    const glm::dvec3 right(cy, 0.0, -sy);
    const glm::dvec3 up(sp * sy, cp, sp * cy);
    const glm::dvec3 rolledUp = cr * up - sr * right;
    MatrixCamera m;
    m.view = glm::lookAt(eye, eye + forward, rolledUp);
    m.projection = glm::perspective(c.fieldOfView, c.pictureRatio, c.nearPlane, c.farPlane);
    m.combined = m.projection * m.view;
    m.centreH = c.centreH;
    m.centreV = c.centreV;
    return m;
}

inline Projection fromClip(const glm::dvec4& clip, const glm::dvec3& kept, const MatrixCamera& m) {
    if (!(-clip.w < clip.z && clip.z < clip.w)) {
        return Projection{Vec3{kept.x, kept.y, kept.z}, StagePoint{-2000.0, -2000.0}};
    }
    const glm::dvec3 ndc = glm::dvec3(clip) / clip.w;
    return Projection{Vec3{kept.x, kept.y, kept.z},
                      StagePoint{m.centreH + ndc.x * m.centreV, m.centreV - ndc.y * m.centreV}};
}

// Pushed through both matrices, as the textbook writes it.
inline Projection matrixProjection(const Vec3& p, const MatrixCamera& m) {
    const glm::dvec4 eye = m.view * glm::dvec4(p.x, p.y, p.z, 1.0);
    const glm::dvec4 clip = m.projection * eye;
    return fromClip(clip, glm::dvec3(eye), m);
}

// Through the one combined matrix; the kept "view" is then the clip point.
inline Projection combinedMatrixProjection(const Vec3& p, const MatrixCamera& m) {
    const glm::dvec4 clip = m.combined * glm::dvec4(p.x, p.y, p.z, 1.0);
    return fromClip(clip, glm::dvec3(clip.x, clip.y, -clip.w), m);
}

// ---- The shared fixture: one camera, its point sets, and the argument arrays for them.
struct Setup {
    bench::ScriptedCamera camera;
    bench::PointSets points;
    std::vector<std::vector<HostValue>> inViewArguments;
    std::vector<std::vector<HostValue>> outOfViewArguments;
    BareCamera bare;
    MatrixCamera matrix;

    Setup()
        : points(bench::makePointSets(camera.state(), PointCount)),
          bare(bareCameraOf(camera.state())),
          matrix(matrixCameraOf(camera.state())) {
        for (const Vec3& p : points.inView) {
            inViewArguments.push_back(camera.projectionArguments(p));
        }
        for (const Vec3& p : points.outOfView) {
            outOfViewArguments.push_back(camera.projectionArguments(p));
        }
    }
    const std::vector<Vec3>& set(bool inView) const {
        return inView ? points.inView : points.outOfView;
    }
    std::vector<std::vector<HostValue>>& arguments(bool inView) {
        return inView ? inViewArguments : outOfViewArguments;
    }
};

Setup& setup() {
    static Setup* shared = new Setup();  // lives to the end of the process, like the host
    return *shared;
}

void perOperation(benchmark::State& state, size_t batch) {
    state.counters["per_op"] = benchmark::Counter(
        static_cast<double>(batch),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::vector<Projection> results(PointCount);

// ---- 1. The arithmetic alone.
void BM_ModuleProjectPoint(benchmark::State& state) {
    const bool inView = state.range(0) == 1;
    const std::vector<Vec3>& points = setup().set(inView);
    const CameraState& camera = setup().camera.state();
    for (auto _ : state) {
        for (size_t i = 0; i < points.size(); ++i) {
            results[i] = projectPoint(points[i], camera);
        }
        benchmark::ClobberMemory();
    }
    perOperation(state, points.size());
}

void BM_InlineFormula(benchmark::State& state) {
    const bool inView = state.range(0) == 1;
    const std::vector<Vec3>& points = setup().set(inView);
    const BareCamera camera = setup().bare;
    for (auto _ : state) {
        for (size_t i = 0; i < points.size(); ++i) {
            results[i] = bareProjection(points[i], camera);
        }
        benchmark::ClobberMemory();
    }
    perOperation(state, points.size());
}

void BM_MatrixLookAtPerspective(benchmark::State& state) {
    const bool inView = state.range(0) == 1;
    const std::vector<Vec3>& points = setup().set(inView);
    const MatrixCamera matrix = setup().matrix;
    for (auto _ : state) {
        for (size_t i = 0; i < points.size(); ++i) {
            results[i] = matrixProjection(points[i], matrix);
        }
        benchmark::ClobberMemory();
    }
    perOperation(state, points.size());
}

void BM_MatrixCombined(benchmark::State& state) {
    const bool inView = state.range(0) == 1;
    const std::vector<Vec3>& points = setup().set(inView);
    const MatrixCamera matrix = setup().matrix;
    for (auto _ : state) {
        for (size_t i = 0; i < points.size(); ++i) {
            results[i] = combinedMatrixProjection(points[i], matrix);
        }
        benchmark::ClobberMemory();
    }
    perOperation(state, points.size());
}

// ---- 2. getProjection as a script calls it, and the host's part of that call alone.
void BM_DispatchedGetProjection(benchmark::State& state) {
    const bool inView = state.range(0) == 1;
    Setup& s = setup();
    std::vector<std::vector<HostValue>>& arguments = s.arguments(inView);
    for (auto _ : state) {
        for (std::vector<HostValue>& elements : arguments) {
            HostValue result;
            s.camera.callWith(bench::GetProjection, elements.data(), &result);
            s.camera.host().release(result);  // the script drops the point it got
        }
    }
    perOperation(state, arguments.size());
}

// The host operations one getProjection makes, in its order, called here directly: three
// ValueToFloat, PointToValue, then twice FloatToValue, SetListItem and ReleaseValue; and the
// script's release of the point, as above.
void BM_HostValueOperationsOnly(benchmark::State& state) {
    const bool inView = state.range(0) == 1;
    Setup& s = setup();
    std::vector<std::vector<HostValue>>& arguments = s.arguments(inView);
    ValueServices* values = s.camera.links().valueServices;
    ListServices* lists = s.camera.links().listServices;
    for (auto _ : state) {
        for (const std::vector<HostValue>& elements : arguments) {
            bench::hostOperationsOfProjection(values, lists, s.camera.host(), elements);
        }
    }
    perOperation(state, arguments.size());
}

// Call with a number past the table: the dispatcher's own entry and exit.
void BM_DispatchOnly(benchmark::State& state) {
    Setup& s = setup();
    std::vector<HostValue>& elements = s.inViewArguments.front();
    for (auto _ : state) {
        HostValue result{};
        benchmark::DoNotOptimize(s.camera.callWith(27, elements.data(), &result));
    }
    perOperation(state, 1);
}

// ---- 3. Setters that recompute derived data, through Call, cycling over varied arguments.
void runSetter(benchmark::State& state, bench::ScriptedCamera& camera, int32_t method,
               std::vector<std::vector<HostValue>>& calls) {
    for (auto _ : state) {
        for (std::vector<HostValue>& elements : calls) {
            HostValue result;
            camera.callWith(method, elements.data(), &result);
            camera.host().release(result);
        }
    }
    perOperation(state, calls.size());
}

std::vector<std::vector<HostValue>> setterArguments(bench::ScriptedCamera& camera, int arity,
                                                    double low, double high) {
    std::vector<std::vector<HostValue>> calls;
    constexpr int Count = 64;
    for (int i = 0; i < Count; ++i) {
        std::vector<HostValue> elements{camera.host().makeSymbol("me")};
        for (int k = 0; k < arity; ++k) {
            const double t = static_cast<double>((i * 7 + k * 13) % Count) / (Count - 1);
            elements.push_back(camera.host().makeFloat(low + t * (high - low)));
        }
        calls.push_back(elements);
    }
    return calls;
}

void releaseAll(bench::ScriptedCamera& camera, std::vector<std::vector<HostValue>>& calls) {
    for (std::vector<HostValue>& elements : calls) {
        for (HostValue& value : elements) {
            camera.host().release(value);
        }
    }
}

void BM_SetPositionReaiming(benchmark::State& state) {
    bench::ScriptedCamera camera;
    // A point of interest turns tracking on: every setPosition then re-aims the camera.
    camera.call(bench::SetInterest, {0.0, 0.0, 0.0});
    std::vector<std::vector<HostValue>> calls = setterArguments(camera, 3, -50.0, 50.0);
    runSetter(state, camera, bench::SetPosition, calls);
    if (camera.state().tracksInterest != 1) {
        state.SkipWithError("the camera stopped tracking its interest");
    }
    releaseAll(camera, calls);
}

void BM_SetRotation(benchmark::State& state) {
    bench::ScriptedCamera camera;
    std::vector<std::vector<HostValue>> calls = setterArguments(camera, 3, -170.0, 170.0);
    runSetter(state, camera, bench::SetRotation, calls);
    releaseAll(camera, calls);
}

void BM_SetFieldOfView(benchmark::State& state) {
    bench::ScriptedCamera camera;
    std::vector<std::vector<HostValue>> calls = setterArguments(camera, 1, 10.0, 120.0);
    runSetter(state, camera, bench::SetFieldOfView, calls);
    releaseAll(camera, calls);
}

BENCHMARK(BM_ModuleProjectPoint)->ArgName("in_view")->Arg(1)->Arg(0);
BENCHMARK(BM_InlineFormula)->ArgName("in_view")->Arg(1)->Arg(0);
BENCHMARK(BM_MatrixLookAtPerspective)->ArgName("in_view")->Arg(1)->Arg(0);
BENCHMARK(BM_MatrixCombined)->ArgName("in_view")->Arg(1)->Arg(0);
BENCHMARK(BM_DispatchedGetProjection)->ArgName("in_view")->Arg(1)->Arg(0);
BENCHMARK(BM_HostValueOperationsOnly)->ArgName("in_view")->Arg(1)->Arg(0);
BENCHMARK(BM_DispatchOnly);
BENCHMARK(BM_SetPositionReaiming);
BENCHMARK(BM_SetRotation);
BENCHMARK(BM_SetFieldOfView);

// ---- The checks that make the comparison fair.
bool sameProjection(const Projection& a, const Projection& b) {
    return std::memcmp(&a.view, &b.view, sizeof a.view) == 0 &&
           std::memcmp(&a.screen, &b.screen, sizeof a.screen) == 0;
}

// Every variant must see the same points in view and put them on the same stage points: the
// inline formula to the last bit (same operations, same order), the matrices within
// StageTolerance. Returns the largest matrix deviation, in pixels.
double checkAgreement() {
    Setup& s = setup();
    const CameraState& camera = s.camera.state();
    double worst = 0.0;
    for (bool inView : {true, false}) {
        for (const Vec3& p : s.set(inView)) {
            const Projection module = projectPoint(p, camera);
            const Projection inlined = bareProjection(p, s.bare);
            if (!sameProjection(module, inlined)) {
                std::fprintf(stderr, "bench: the inline formula differs from projectPoint\n");
                std::exit(2);
            }
            for (const Projection& matrix :
                 {matrixProjection(p, s.matrix), combinedMatrixProjection(p, s.matrix)}) {
                const bool moduleSees = module.screen.h != OutOfViewPoint.h;
                const bool matrixSees = matrix.screen.h != OutOfViewPoint.h;
                if (moduleSees != inView || matrixSees != inView) {
                    std::fprintf(stderr, "bench: the matrix path sees a point differently\n");
                    std::exit(2);
                }
                const double deviation = std::max(std::fabs(module.screen.h - matrix.screen.h),
                                                  std::fabs(module.screen.v - matrix.screen.v));
                if (!(deviation <= StageTolerance)) {
                    std::fprintf(stderr, "bench: matrix stage point off by %g px at (%g, %g, %g)\n",
                                 deviation, p.x, p.y, p.z);
                    std::exit(2);
                }
                worst = std::max(worst, deviation);
            }
        }
    }
    return worst;
}

// One dispatched getProjection must make exactly the host calls BM_HostValueOperationsOnly
// repeats, and give back every value it made.
void checkHostCalls() {
    Setup& s = setup();
    sim::Host& host = s.camera.host();
    const size_t boxesBefore = host.liveBoxes();
    host.resetCallCounts();
    HostValue result;
    s.camera.callWith(bench::GetProjection, s.inViewArguments.front().data(), &result);
    host.release(result);
    const struct {
        const char* operation;
        int64_t expected;
    } expectations[] = {{"ValueToFloat", 3},  {"PointToValue", 1}, {"FloatToValue", 2},
                        {"SetListItem", 2},   {"ReleaseValue", 2}, {"StringToSymbol", 0},
                        {"SymbolToValue", 0}, {"NewList", 0},      {"AppendToList", 0},
                        {"Allocate", 0}};
    for (const auto& expectation : expectations) {
        if (host.callCount(expectation.operation) != expectation.expected) {
            std::fprintf(stderr, "bench: getProjection called %s %lld times, expected %lld\n",
                         expectation.operation,
                         static_cast<long long>(host.callCount(expectation.operation)),
                         static_cast<long long>(expectation.expected));
            std::exit(2);
        }
    }
    if (host.liveBoxes() != boxesBefore) {
        std::fprintf(stderr, "bench: getProjection left host values behind\n");
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const double deviation = checkAgreement();
    checkHostCalls();
    char text[64];
    std::snprintf(text, sizeof text, "%.3g", deviation);
    benchmark::AddCustomContext("points_per_set", std::to_string(PointCount));
    benchmark::AddCustomContext("max_matrix_deviation_px", text);
    std::fprintf(stderr, "agreement: %zu points per set, matrix path within %s px of the module\n",
                 PointCount, text);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
