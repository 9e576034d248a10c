#include "bench/bench_camera.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "simhost/interface_ids.h"
#include "simhost/script_object.h"
#include "xtra/camera/projection.h"

namespace bench {

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench: %s\n", what);
    std::exit(2);
}

const ModuleExports& moduleExports() {
    return scriptModule();
}

}  // namespace

ScriptedCamera::ScriptedCamera(const Pose& pose) {
    void* out = nullptr;
    if (sim::createObject(host_, moduleExports(), sim::CameraClassId, sim::CameraInterfaceId,
                          &instance_, &out) != StatusOk) {
        fail("cannot create a camera");
    }
    interface_ = static_cast<InterfaceObject*>(out);
    if (sim::sendNew(host_, interface_) != StatusOk) {
        fail("\"new\" failed");
    }
    if (call(SetRotation, {pose.pitch, pose.yaw, pose.roll}) != StatusOk ||
        call(SetPosition, {pose.x, pose.y, pose.z}) != StatusOk ||
        call(SetFieldOfView, {pose.fieldOfView}) != StatusOk) {
        fail("cannot set the camera's pose");
    }
}

ScriptedCamera::~ScriptedCamera() {
    for (HostValue& value : madeValues_) {
        host_.release(value);
    }
    sim::destroyObject(host_, instance_, interface_);
}

Status ScriptedCamera::callWith(int32_t method, HostValue* elements, HostValue* result) {
    CallRecord record{};
    record.methodNumber = method;
    record.arguments = elements;
    const Status status =
        static_cast<const CameraInterfaceOps*>(interface_->ops)->Call(interface_, &record);
    *result = record.result;
    return status;
}

Status ScriptedCamera::call(int32_t method, std::initializer_list<double> arguments,
                            HostValue* result) {
    std::vector<HostValue> elements{host_.makeSymbol("me")};
    for (double argument : arguments) {
        elements.push_back(host_.makeFloat(argument));
    }
    HostValue answer{};
    const Status status = callWith(method, elements.data(), &answer);
    for (HostValue& element : elements) {
        host_.release(element);
    }
    if (result != nullptr) {
        *result = answer;
    } else {
        host_.release(answer);
    }
    return status;
}

std::vector<HostValue> ScriptedCamera::projectionArguments(const Vec3& point) {
    std::vector<HostValue> elements{host_.makeSymbol("me"), host_.makeFloat(point.x),
                                    host_.makeFloat(point.y), host_.makeFloat(point.z)};
    madeValues_.insert(madeValues_.end(), elements.begin() + 1, elements.end());
    return elements;
}

const CameraState& ScriptedCamera::state() const {
    return cameraInstanceOf(instance_.record).camera;
}

CameraState& ScriptedCamera::state() {
    return cameraInstanceOf(instance_.record).camera;
}

const HostLinks& ScriptedCamera::links() const {
    return cameraInstanceOf(instance_.record).links;
}

PointSets makePointSets(const CameraState& camera, size_t count) {
    // A fixed seed: every run, and every variant within a run, sees the same points.
    std::mt19937_64 generator(20240611);
    std::uniform_real_distribution<double> across(-60.0, 60.0);
    std::uniform_real_distribution<double> along(-120.0, 60.0);
    PointSets sets;
    while (sets.inView.size() < count || sets.outOfView.size() < count) {
        const Vec3 point{across(generator), across(generator), along(generator)};
        const bool seen =
            isInView(projectPoint(point, camera).view.z, camera.nearPlane, camera.farPlane);
        std::vector<Vec3>& set = seen ? sets.inView : sets.outOfView;
        if (set.size() < count) {
            set.push_back(point);
        }
    }
    return sets;
}

}  // namespace bench
