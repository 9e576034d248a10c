// The shipped 32-bit SCRIPT.x32 timed from outside, as the host runs it: loaded with
// LoadLibrary, reached through its exports, a camera made the host's way. Three hosts, each with
// a camera of its own: a lean host (lean_host.h), a host that stores its values as tagged 32-bit
// words (tagged_host.h) and one that NaN-boxes them in 8-byte words (boxed_host.h), since how a
// host hands its values over can change what the module's own work costs. In one process:
//
// - for each host, getProjection through Call, and the host operations that call must make
//   replayed here through the same pointers: the difference is the module's own work;
// - for each host, getDistance through Call;
// - the camera's formula written out here, both as throughput and serial (each point waits for
//   the previous result, as a script waits for each answer);
// - GLM's look-at and perspective 4x4 path, serial.
//
// Before timing, the checks, under every host: the formula here gives the module's stage points
// and depths to the last bit, the matrix path agrees within 1e-6 px, one dispatched
// getProjection makes exactly the host calls that the replay makes, and the module has misused
// no host. A failed check ends the program with status 2, and so does misuse found by the
// end of the timing (the counts are printed last).
//
//   shipped_bench.exe PATH\TO\SCRIPT.x32 [--repetitions N] [--min-time SECONDS] [--json FILE]
//                     [--only TEXT] [--guard] [--also OTHER.x32]
//
// Each benchmark is timed in many short repetitions (101 of at least 3 ms by default), all
// benchmarks' repetitions interleaved, and reported as the minimum over its repetitions, the
// median beside it (timing.h); the JSON holds both and every repetition.
//
// --only times only the benchmarks whose names contain TEXT (all checks still run first): one
// workload for a sampling profiler.
//
// --also OTHER.x32 loads a second build of the module beside the first and times its calls under
// the same hosts in the same run, named with "/module:2": two builds compared within one run.
//
// --guard times only what the speed guard's ratios are made of, briefly (201 repetitions of at
// least 0.5 ms unless given: many short ones, so that some escape a busy machine's other work),
// and ends with status 3 when a ratio breaks its bound in every one of up to five such runs
// (speed_guard.h).
#include <emmintrin.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <random>
#include <string>
#include <vector>

#include "bench/shipped/boxed_host.h"
#include "bench/shipped/lean_host.h"
#include "bench/shipped/speed_guard.h"
#include "bench/shipped/tagged_host.h"
#include "bench/shipped/timing.h"

namespace {

using hostabi::CallRecord;
using hostabi::Guid;
using hostabi::Host;
using hostabi::InstanceHeader;
using hostabi::Status;
using hostabi::Value;

const Guid CameraClassId = {
    0x5E1C7A41, 0x3B2D, 0x4F61, {0x9A, 0x8E, 0x2C, 0x4D, 0x6B, 0x7F, 0x1A, 0x03}};
const Guid CameraInterfaceId = {
    0xAC401FB6, 0x0001, 0xF9B0, {0x00, 0x00, 0x08, 0x00, 0x07, 0x2C, 0x63, 0x26}};

constexpr int32_t MethodNew = 0;
constexpr int32_t MethodSetPosition = 2;
constexpr int32_t MethodSetRotation = 6;
constexpr int32_t MethodSetFieldOfView = 9;
constexpr int32_t MethodGetProjection = 16;
constexpr int32_t MethodGetDistance = 17;

constexpr size_t PointCount = 1024;
constexpr double StageTolerance = 1e-6;  // pixels, between the formula and the matrix path

bool misused(const Host& host) {
    for (const Host::Misuse& kind : host.misuse()) {
        if (kind.count != 0) {
            return true;
        }
    }
    return false;
}

// Each kind of misuse the host counts, one line each.
void reportMisuse(FILE* out, const Host& host) {
    const std::vector<Host::Misuse> kinds = host.misuse();
    if (kinds.empty()) {
        std::fprintf(out, "misuse of the %s host: not looked for\n", host.name());
    }
    for (const Host::Misuse& kind : kinds) {
        std::fprintf(out, "misuse of the %s host: %-44s %d\n", host.name(), kind.what, kind.count);
    }
}

// The hosts in use, so that a failed check also tells of any misuse behind it.
std::vector<const Host*> hostsInUse;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "shipped_bench: %s\n", what);
    for (const Host* host : hostsInUse) {
        if (misused(*host)) {
            reportMisuse(stderr, *host);
        }
    }
    std::exit(2);
}

// ---- The module, through its exports.
using CreateOperation = Status(__stdcall*)(InstanceHeader*);
using DestroyOperation = void(__stdcall*)(InstanceHeader*);
struct Exports {
    Status(__stdcall* DllGetClassForm)(const Guid*, int32_t*, CreateOperation*, DestroyOperation*);
    Status(__stdcall* DllGetInterface)(InstanceHeader*, const Guid*, const Guid*, void**);
};

template <typename Function>
void lookUp(HMODULE module, const char* name, Function* out) {
    FARPROC address = GetProcAddress(module, name);
    if (address == nullptr) {
        fail("an export is missing");
    }
    *out = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// The camera object as the host reaches it: an interface whose slot 3 is Call.
struct CameraInterface;
struct CameraInterfaceOps {
    void* unknown[3];
    Status(__stdcall* Call)(CameraInterface* self, CallRecord* call);
};
struct CameraInterface {
    const CameraInterfaceOps* ops;
};

// The camera's fields behind the host header, read (never written) so that the formula and the
// matrices here use the very values the module holds.
struct CameraRecord {
    InstanceHeader header;
    void* links[3];
    double position[3];
    double interest[3];
    double pitch, yaw, roll, fieldOfView, pictureRatio, nearPlane, farPlane;
    uint8_t tracksInterest;
    double sinNegPitch, sinPitch, cosNegPitch, cosPitch;
    double sinYaw, sinNegYaw, cosYaw, cosNegYaw;
    double sinNegRoll, sinRoll, cosNegRoll, cosRoll;
    double lastWorld[3];
    double lastView[3];
    double lastScreen[2];
    double scaleH, scaleV, stageWidth, stageHeight, centreH, centreV;
};
static_assert(sizeof(CameraRecord) == 360, "the camera's instance record is 360 bytes");

struct Camera {
    Camera(Host& h, std::string m) : host(h), module(std::move(m)) {}
    Host& host;
    std::string module;  // "" for the module given first, "/module:2" for the one given with --also
    CameraRecord* record = nullptr;
    CameraInterface* object = nullptr;
    Value me{};

    Status call(int32_t method, const Value* elements, Value* result) {
        CallRecord record{};
        record.methodNumber = method;
        record.arguments = elements;
        const Status status = object->ops->Call(object, &record);
        *result = record.result;
        return status;
    }
    void set(int32_t method, std::initializer_list<double> arguments) {
        std::vector<Value> elements{me};
        for (double argument : arguments) {
            elements.push_back(host.floatValue(argument));
        }
        Value result{};
        if (call(method, elements.data(), &result) != 0 || !host.isSymbol(result, "Ok")) {
            fail("a setter did not answer Ok");
        }
    }
};

// The instance's own table: the host answers for the instance, which holds no references.
Status HOST_CALL instanceQuery(hostabi::Object*, const Guid*, void** out) {
    *out = nullptr;
    return hostabi::NoInterface;
}
uint32_t HOST_CALL instanceAddRef(hostabi::Object*) {
    return 2;
}
uint32_t HOST_CALL instanceRelease(hostabi::Object*) {
    return 1;
}
const hostabi::UnknownOps instanceOps = {instanceQuery, instanceAddRef, instanceRelease};

// DllGetClassForm for the size and the create operation, an instance record with the host's
// header, create, DllGetInterface, and "new" through Call; then the pose every measurement
// uses, turned in all three angles so that no term of the projection drops out.
void makeCamera(const char* path, Camera& camera) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        fail("LoadLibraryA failed");
    }
    Exports exports{};
    lookUp(module, "DllGetClassForm", &exports.DllGetClassForm);
    lookUp(module, "DllGetInterface", &exports.DllGetInterface);
    int32_t size = 0;
    CreateOperation create = nullptr;
    DestroyOperation destroy = nullptr;
    if (exports.DllGetClassForm(&CameraClassId, &size, &create, &destroy) != 0 ||
        size != static_cast<int32_t>(sizeof(CameraRecord))) {
        fail("the camera class's form is not the expected one");
    }
    auto* record = static_cast<CameraRecord*>(_aligned_malloc(sizeof(CameraRecord), 16));
    std::memset(static_cast<void*>(record), 0, sizeof(CameraRecord));
    record->header.ops = &instanceOps;
    record->header.hostServices = camera.host.hostServices();
    record->header.allocator = camera.host.allocator();
    create(&record->header);
    void* out = nullptr;
    if (exports.DllGetInterface(&record->header, &CameraClassId, &CameraInterfaceId, &out) != 0) {
        fail("DllGetInterface failed");
    }
    camera.record = record;
    camera.object = static_cast<CameraInterface*>(out);
    Value result{};
    if (camera.call(MethodNew, &camera.me, &result) != 0) {
        fail("\"new\" failed");
    }
    camera.set(MethodSetRotation, {-8.0, 25.0, 12.0});
    camera.set(MethodSetPosition, {2.0, 3.0, 18.0});
    camera.set(MethodSetFieldOfView, {50.0});
}

// ---- The camera's formula, written out with its values in locals.
struct Bare {
    double px, py, pz;
    double cosNegYaw, sinNegYaw, cosPitch, sinPitch, cosRoll, sinRoll;
    double nearPlane, farPlane, scaleH, scaleV, centreH, centreV;
};

Bare bareOf(const CameraRecord& c) {
    return Bare{c.position[0], c.position[1], c.position[2], c.cosNegYaw, c.sinNegYaw,
                c.cosPitch,    c.sinPitch,    c.cosRoll,     c.sinRoll,   c.nearPlane,
                c.farPlane,    c.scaleH,      c.scaleV,      c.centreH,   c.centreV};
}

struct Answer {
    double h, v, depth;
};

inline Answer bareProjection(double x, double y, double z, const Bare& c) {
    const double dx = x - c.px;
    const double dy = y - c.py;
    const double dz = z - c.pz;
    const double x1 = c.cosNegYaw * dx + c.sinNegYaw * dz;
    const double z1 = c.cosNegYaw * dz - c.sinNegYaw * dx;
    const double y2 = c.cosPitch * dy + c.sinPitch * z1;
    const double depth = c.cosPitch * z1 - c.sinPitch * dy;
    if (!(-c.farPlane < depth && depth < -c.nearPlane)) {
        return Answer{-2000.0, -2000.0, depth};
    }
    const double x3 = c.sinRoll * y2 + c.cosRoll * x1;
    const double y3 = c.cosRoll * y2 - c.sinRoll * x1;
    return Answer{c.centreH - (x3 / depth) * c.scaleH, (y3 / depth) * c.scaleV + c.centreV, depth};
}

// ---- GLM's 4x4 path: look-at and perspective matrices, pushed through one after the other,
// clip test against w, divide by w, then onto the stage (one unit of normalised x or y is
// centreV pixels).
struct Matrices {
    glm::dmat4 view, projection;
    double centreH, centreV;
};

Matrices matricesOf(const CameraRecord& c) {
    const double sp = std::sin(c.pitch), cp = std::cos(c.pitch);
    const double sy = std::sin(c.yaw), cy = std::cos(c.yaw);
    const double sr = std::sin(c.roll), cr = std::cos(c.roll);
    const glm::dvec3 eye(c.position[0], c.position[1], c.position[2]);
    const glm::dvec3 forward(-sy * cp, sp, -cy * cp);
    const glm::dvec3 right(cy, 0.0, -sy);
    const glm::dvec3 up(sp * sy, cp, sp * cy);
    const glm::dvec3 rolledUp = cr * up - sr * right;
    return Matrices{glm::lookAt(eye, eye + forward, rolledUp),
                    glm::perspective(c.fieldOfView, c.pictureRatio, c.nearPlane, c.farPlane),
                    c.centreH, c.centreV};
}

inline Answer matrixProjection(double x, double y, double z, const Matrices& m) {
    const glm::dvec4 eye = m.view * glm::dvec4(x, y, z, 1.0);
    const glm::dvec4 clip = m.projection * eye;
    if (!(-clip.w < clip.z && clip.z < clip.w)) {
        return Answer{-2000.0, -2000.0, eye.z};
    }
    const glm::dvec3 ndc = glm::dvec3(clip) / clip.w;
    return Answer{m.centreH + ndc.x * m.centreV, m.centreV - ndc.y * m.centreV, eye.z};
}

// x with a true data dependency on the previous answer (its h and depth, and-ed with a zero
// the compiler cannot see, then or-ed in): the value of x is unchanged, but the processor can
// start on a point only once the previous one is done. Three bitwise operations of latency.
inline double after(double x, const Answer& previous) {
    __m128d zero = _mm_setzero_pd();
    asm("" : "+x"(zero));
    const __m128d wait = _mm_or_pd(_mm_and_pd(_mm_set_sd(previous.h), zero),
                                   _mm_and_pd(_mm_set_sd(previous.depth), zero));
    return _mm_cvtsd_f64(_mm_or_pd(_mm_set_sd(x), wait));
}

// ---- The points: drawn with a fixed seed, split by whether the module sees them.
struct PointSet {
    std::vector<double> xyz;      // 3 per point
    std::vector<Value> elements;  // 4 per point: me, x, y, z, as a script's call passes them
};

// getProjection and getDistance through Call, their results read the host's way and released
// as a script releases them.
Answer dispatched(Camera& camera, const Value* elements) {
    hostabi::ValueServices* values = camera.host.values();
    auto* valueObject = reinterpret_cast<hostabi::Object*>(values);
    Answer answer{};
    Value result{};
    if (camera.call(MethodGetProjection, elements, &result) != 0 ||
        !camera.host.pointOf(result, answer.h, answer.v)) {
        fail("getProjection did not answer a point of two floats");
    }
    values->ops->ReleaseValue(valueObject, &result);
    Value depth{};
    if (camera.call(MethodGetDistance, &camera.me, &depth) != 0 ||
        !camera.host.floatOf(depth, answer.depth)) {
        fail("getDistance did not answer a float");
    }
    values->ops->ReleaseValue(valueObject, &depth);
    return answer;
}

// The points are drawn and sorted under the first host; another host gets them as its own values.
void makePoints(Camera& camera, PointSet& inView, PointSet& outOfView) {
    std::mt19937_64 generator(20240611);
    std::uniform_real_distribution<double> across(-60.0, 60.0);
    std::uniform_real_distribution<double> along(-120.0, 60.0);
    while (inView.xyz.size() < 3 * PointCount || outOfView.xyz.size() < 3 * PointCount) {
        const double p[3] = {across(generator), across(generator), along(generator)};
        const Value elements[4] = {camera.me, camera.host.floatValue(p[0]),
                                   camera.host.floatValue(p[1]), camera.host.floatValue(p[2])};
        const bool seen = dispatched(camera, elements).h != -2000.0;
        PointSet& set = seen ? inView : outOfView;
        if (set.xyz.size() < 3 * PointCount) {
            set.xyz.insert(set.xyz.end(), p, p + 3);
            set.elements.insert(set.elements.end(), elements, elements + 4);
        }
    }
}

PointSet withValuesOf(const Camera& camera, const PointSet& set) {
    PointSet restated{set.xyz, {}};
    for (size_t i = 0; i < PointCount; ++i) {
        restated.elements.push_back(camera.me);
        for (int k = 0; k < 3; ++k) {
            restated.elements.push_back(camera.host.floatValue(set.xyz[3 * i + k]));
        }
    }
    return restated;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// ---- What is timed. Results go to a sink the compiler must assume is read.
Answer sink[PointCount];

// The sink's address goes into the barrier, so its stores cannot be dropped.
void clobber() {
    asm volatile("" : : "r"(sink) : "memory");
}

void formulaThroughput(const PointSet& set, const Bare& c) {
    const double* p = set.xyz.data();
    for (size_t i = 0; i < PointCount; ++i) {
        sink[i] = bareProjection(p[3 * i], p[3 * i + 1], p[3 * i + 2], c);
    }
    clobber();
}

void formulaSerial(const PointSet& set, const Bare& c) {
    const double* p = set.xyz.data();
    Answer previous{0.0, 0.0, 0.0};
    for (size_t i = 0; i < PointCount; ++i) {
        previous = bareProjection(after(p[3 * i], previous), p[3 * i + 1], p[3 * i + 2], c);
    }
    sink[0] = previous;
    clobber();
}

void matricesSerial(const PointSet& set, const Matrices& m) {
    const double* p = set.xyz.data();
    Answer previous{0.0, 0.0, 0.0};
    for (size_t i = 0; i < PointCount; ++i) {
        previous = matrixProjection(after(p[3 * i], previous), p[3 * i + 1], p[3 * i + 2], m);
    }
    sink[0] = previous;
    clobber();
}

// One call per point, as the host makes it, and the script's release of the point it got.
void dispatchedProjections(Camera& camera, const PointSet& set) {
    CameraInterface* object = camera.object;
    hostabi::ValueServices* values = camera.host.values();
    CallRecord record{};
    record.methodNumber = MethodGetProjection;
    for (size_t i = 0; i < PointCount; ++i) {
        record.arguments = &set.elements[4 * i];
        object->ops->Call(object, &record);
        values->ops->ReleaseValue(reinterpret_cast<hostabi::Object*>(values), &record.result);
    }
}

// The host operations of those calls alone, through the same pointers and in the same order:
// three ValueToFloat, PointToValue, twice FloatToValue, SetListItem and ReleaseValue, and the
// script's release of the point.
void hostOperationsOnly(Camera& camera, const PointSet& set) {
    hostabi::ValueServices* values = camera.host.values();
    hostabi::ListServices* lists = camera.host.lists();
    auto* valueObject = reinterpret_cast<hostabi::Object*>(values);
    auto* listObject = reinterpret_cast<hostabi::Object*>(lists);
    const hostabi::ValueOps* v = values->ops;
    const hostabi::ListOps* l = lists->ops;
    for (size_t i = 0; i < PointCount; ++i) {
        const Value* elements = &set.elements[4 * i];
        double coordinates[3];
        for (int k = 0; k < 3; ++k) {
            v->ValueToFloat(valueObject, &elements[k + 1], &coordinates[k]);
        }
        Value result;
        static const int32_t origin[2] = {0, 0};
        v->PointToValue(valueObject, origin, &result);
        for (int32_t index = 1; index <= 2; ++index) {
            Value item;
            v->FloatToValue(valueObject, coordinates[index - 1], &item);
            l->SetListItem(listObject, &result, index, &item);
            v->ReleaseValue(valueObject, &item);
        }
        v->ReleaseValue(valueObject, &result);
    }
}

void dispatchedDistances(Camera& camera) {
    CameraInterface* object = camera.object;
    hostabi::ValueServices* values = camera.host.values();
    CallRecord record{};
    record.methodNumber = MethodGetDistance;
    record.arguments = &camera.me;
    for (size_t i = 0; i < PointCount; ++i) {
        object->ops->Call(object, &record);
        values->ops->ReleaseValue(reinterpret_cast<hostabi::Object*>(values), &record.result);
    }
}

// ---- The checks that make the comparison fair.
void checkAgreement(Camera& camera, const PointSet& set, bool inView, const Bare& bare,
                    const Matrices& matrices, double& worst) {
    Answer previous{0.0, 0.0, 0.0};
    for (size_t i = 0; i < PointCount; ++i) {
        const double* p = &set.xyz[3 * i];
        const Answer module = dispatched(camera, &set.elements[4 * i]);
        const Answer formula = bareProjection(p[0], p[1], p[2], bare);
        const Answer serial = bareProjection(after(p[0], previous), p[1], p[2], bare);
        previous = serial;
        if (!sameBits(module.h, formula.h) || !sameBits(module.v, formula.v) ||
            !sameBits(module.depth, formula.depth) || !sameBits(serial.h, formula.h) ||
            !sameBits(serial.v, formula.v) || !sameBits(serial.depth, formula.depth)) {
            fail("the formula here differs from the module's answer");
        }
        const Answer matrix = matrixProjection(p[0], p[1], p[2], matrices);
        if ((module.h != -2000.0) != inView || (matrix.h != -2000.0) != inView) {
            fail("the matrix path sees a point differently");
        }
        const double deviation =
            std::fmax(std::fabs(module.h - matrix.h), std::fabs(module.v - matrix.v));
        if (!(deviation <= StageTolerance)) {
            fail("the matrix path's stage point is off");
        }
        worst = std::fmax(worst, deviation);
    }
}

void checkHostCalls(Camera& camera, const PointSet& set) {
    const int32_t blocks = camera.host.liveBlocks();
    for (auto run : {0, 1}) {
        camera.host.resetCalls();
        if (run == 0) {
            dispatchedProjections(camera, set);
        } else {
            hostOperationsOnly(camera, set);
        }
        const int32_t n = static_cast<int32_t>(PointCount);
        if (camera.host.calls(Host::ValueToFloatCall) != 3 * n ||
            camera.host.calls(Host::PointToValueCall) != n ||
            camera.host.calls(Host::FloatToValueCall) != 2 * n ||
            camera.host.calls(Host::SetListItemCall) != 2 * n ||
            camera.host.calls(Host::ReleaseValueCall) != 3 * n ||
            camera.host.calls(Host::StringToSymbolCall) != 0 ||
            camera.host.calls(Host::SymbolToValueCall) != 0 ||
            camera.host.calls(Host::IntegerToValueCall) != 0) {
            fail(run == 0 ? "getProjection made other host calls than expected"
                          : "the replay made other host calls than expected");
        }
    }
    camera.host.resetCalls();
    dispatchedDistances(camera);
    if (camera.host.calls(Host::FloatToValueCall) != static_cast<int32_t>(PointCount) ||
        camera.host.calls(Host::ReleaseValueCall) != static_cast<int32_t>(PointCount)) {
        fail("getDistance made other host calls than expected");
    }
    if (camera.host.liveBlocks() != blocks) {
        fail("a call allocated from the host");
    }
}

// ---- The run, step by step.
struct Options {
    std::vector<const char*> modules;  // the first, and the one --also names
    int repetitions = 101;
    double minimumSeconds = 0.003;
    const char* json = nullptr;
    std::string only;
    bool guard = false;
};

// False, with the reason printed, when the command line is not one the usage allows.
bool parseOptions(int argc, char** argv, Options& options) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: shipped_bench PATH\\SCRIPT.x32 [--repetitions N] [--min-time S] "
                     "[--json FILE] [--only TEXT] [--guard] [--also OTHER.x32]\n");
        return false;
    }
    options.modules.push_back(argv[1]);
    for (int a = 2; a < argc; ++a) {
        const std::string option = argv[a];
        if (option == "--guard") {
            options.guard = true;
            options.repetitions = 201;
            options.minimumSeconds = 0.0005;
            continue;
        }
        if (a + 1 == argc) {
            std::fprintf(stderr, "shipped_bench: %s needs a value\n", option.c_str());
            return false;
        }
        const char* value = argv[++a];
        if (option == "--repetitions") {
            options.repetitions = std::atoi(value);
        } else if (option == "--min-time") {
            options.minimumSeconds = std::atof(value);
        } else if (option == "--json") {
            options.json = value;
        } else if (option == "--only") {
            options.only = value;
        } else if (option == "--also" && options.modules.size() == 1) {
            options.modules.push_back(value);
        } else {
            std::fprintf(stderr, "shipped_bench: unknown option %s\n", option.c_str());
            return false;
        }
    }
    if (options.repetitions < 5) {
        std::fprintf(stderr, "shipped_bench: at least 5 repetitions\n");
        return false;
    }
    return true;
}

// One camera per host and module, and the points as each host's own values.
struct Workload {
    size_t hostCount = 0;
    std::deque<Camera> cameras;  // host h of module m at m * hostCount + h; stable addresses
    std::vector<PointSet> inView, outOfView;
    Bare bare;
    Matrices matrices;
    double worstDeviation = 0.0;
};

void makeWorkload(const std::vector<const char*>& modules, std::initializer_list<Host*> hosts,
                  Workload& work) {
    work.hostCount = hosts.size();
    hostsInUse.assign(hosts.begin(), hosts.end());
    for (size_t m = 0; m < modules.size(); ++m) {
        for (Host* host : hosts) {
            work.cameras.emplace_back(*host, m == 0 ? "" : "/module:2");
            makeCamera(modules[m], work.cameras.back());
        }
    }
    work.inView.resize(hosts.size());
    work.outOfView.resize(hosts.size());
    makePoints(work.cameras[0], work.inView[0], work.outOfView[0]);
    for (size_t h = 1; h < work.hostCount; ++h) {
        work.inView[h] = withValuesOf(work.cameras[h], work.inView[0]);
        work.outOfView[h] = withValuesOf(work.cameras[h], work.outOfView[0]);
    }
    work.bare = bareOf(*work.cameras[0].record);
    work.matrices = matricesOf(*work.cameras[0].record);
}

// Every check that makes the comparison fair, under every host, before anything is timed.
void checkWorkload(Workload& work) {
    for (size_t c = 0; c < work.cameras.size(); ++c) {
        Camera& camera = work.cameras[c];
        const size_t h = c % work.hostCount;
        const Bare own = bareOf(*camera.record);
        if (std::memcmp(&own, &work.bare, sizeof own) != 0) {
            fail("the hosts' cameras do not hold the same values");
        }
        checkAgreement(camera, work.inView[h], true, work.bare, work.matrices, work.worstDeviation);
        checkAgreement(camera, work.outOfView[h], false, work.bare, work.matrices,
                       work.worstDeviation);
        checkHostCalls(camera, work.inView[h]);
        if (misused(camera.host)) {
            fail("the module misused a host before anything was timed");
        }
    }
    std::printf(
        "agreement under all %u hosts: %u points per set; the formula gives the module's answers "
        "to the last bit, the matrix path within %.3g px\n",
        static_cast<unsigned>(work.hostCount), static_cast<unsigned>(PointCount),
        work.worstDeviation);
    std::fflush(stdout);
}

std::string viewSuffix(bool seen) {
    return seen ? "/in_view:1" : "/in_view:0";
}
std::string hostSuffix(const Camera& camera) {
    return camera.module + "/host:" + camera.host.name();
}

// The benchmarks, in a fixed order; the guard needs only those its ratios are made of.
std::vector<timing::Benchmark> makeBenchmarks(Workload& work, bool guardOnly) {
    std::vector<timing::Benchmark> benchmarks;
    const auto add = [&benchmarks](std::string name, std::function<void()> batch) {
        benchmarks.push_back({std::move(name), PointCount, std::move(batch), {}});
    };
    for (bool seen : {true, false}) {
        const std::string where = viewSuffix(seen);
        for (size_t c = 0; c < work.cameras.size(); ++c) {
            Camera& camera = work.cameras[c];
            const size_t h = c % work.hostCount;
            const PointSet& set = seen ? work.inView[h] : work.outOfView[h];
            add("W32_DispatchedGetProjection" + hostSuffix(camera) + where,
                [&camera, &set] { dispatchedProjections(camera, set); });
            add("W32_HostOperationsOnly" + hostSuffix(camera) + where,
                [&camera, &set] { hostOperationsOnly(camera, set); });
        }
        const PointSet& set = seen ? work.inView[0] : work.outOfView[0];
        const Bare& bare = work.bare;
        const Matrices& matrices = work.matrices;
        add("W32_FormulaSerial" + where, [&set, &bare] { formulaSerial(set, bare); });
        if (!guardOnly) {
            add("W32_FormulaThroughput" + where, [&set, &bare] { formulaThroughput(set, bare); });
            add("W32_MatrixLookAtPerspectiveSerial" + where,
                [&set, &matrices] { matricesSerial(set, matrices); });
        }
    }
    for (Camera& camera : work.cameras) {
        if (!guardOnly) {
            add("W32_DispatchedGetDistance" + hostSuffix(camera),
                [&camera] { dispatchedDistances(camera); });
        }
    }
    return benchmarks;
}

void printFigures(const std::vector<timing::Benchmark>& benchmarks, const Options& options) {
    std::printf(
        "ns per call or point: the minimum over %d repetitions of at least %g s, the "
        "median in brackets\n",
        options.repetitions, options.minimumSeconds);
    for (const timing::Benchmark& benchmark : benchmarks) {
        std::printf("%-52s %8.2f ns (%.2f)\n", benchmark.name.c_str(),
                    timing::minimum(benchmark.nanosecondsPerOperation),
                    timing::median(benchmark.nanosecondsPerOperation));
    }
}

void writeJson(const std::vector<timing::Benchmark>& benchmarks, const Options& options,
               double worstDeviation) {
    FILE* out = std::fopen(options.json, "w");
    if (out == nullptr) {
        fail("cannot write the JSON file");
    }
    std::fprintf(out,
                 "{\n  \"context\": {\"points_per_set\": %u, \"repetitions\": %d, "
                 "\"min_time_s\": %g, \"max_matrix_deviation_px\": %.3g},\n"
                 "  \"benchmarks\": [\n",
                 static_cast<unsigned>(PointCount), options.repetitions, options.minimumSeconds,
                 worstDeviation);
    for (size_t b = 0; b < benchmarks.size(); ++b) {
        const timing::Benchmark& benchmark = benchmarks[b];
        std::fprintf(out,
                     "    {\"name\": \"%s\", \"min_ns\": %.4f, \"median_ns\": %.4f, "
                     "\"runs_ns\": [",
                     benchmark.name.c_str(), timing::minimum(benchmark.nanosecondsPerOperation),
                     timing::median(benchmark.nanosecondsPerOperation));
        for (size_t r = 0; r < benchmark.nanosecondsPerOperation.size(); ++r) {
            std::fprintf(out, "%s%.4f", r == 0 ? "" : ", ", benchmark.nanosecondsPerOperation[r]);
        }
        std::fprintf(out, "]}%s\n", b + 1 < benchmarks.size() ? "," : "");
    }
    std::fprintf(out, "  ]\n}\n");
    std::fclose(out);
}

// Misuse during the timing fails the run, as misuse before it did.
void checkMisuseAfterTiming() {
    bool misuse = false;
    for (const Host* host : hostsInUse) {
        reportMisuse(stdout, *host);
        misuse = misuse || misused(*host);
    }
    if (misuse) {
        fail("the module misused a host while it was timed");
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        return 1;
    }
    static lean::LeanHost leanHost;
    static tagged::TaggedHost taggedHost;
    static boxed::BoxedHost boxedHost;
    static Workload work;
    makeWorkload(options.modules, {&leanHost, &taggedHost, &boxedHost}, work);
    checkWorkload(work);

    std::vector<timing::Benchmark> benchmarks = makeBenchmarks(work, options.guard);
    benchmarks.erase(std::remove_if(benchmarks.begin(), benchmarks.end(),
                                    [&options](const timing::Benchmark& benchmark) {
                                        return benchmark.name.find(options.only) ==
                                               std::string::npos;
                                    }),
                     benchmarks.end());
    if (options.guard) {
        uint32_t seed = 20240611u;
        const bool held = speed::guard(
            [&] {
                for (timing::Benchmark& benchmark : benchmarks) {
                    benchmark.nanosecondsPerOperation.clear();
                }
                timing::runAll(benchmarks, options.repetitions, options.minimumSeconds, seed++);
                printFigures(benchmarks, options);
                return benchmarks;
            },
            stdout);
        checkMisuseAfterTiming();
        return held ? 0 : 3;
    }
    timing::runAll(benchmarks, options.repetitions, options.minimumSeconds, 20240611u);
    printFigures(benchmarks, options);
    if (options.json != nullptr) {
        writeJson(benchmarks, options, work.worstDeviation);
    }
    checkMisuseAfterTiming();
    return 0;
}
