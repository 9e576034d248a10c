// A camera driven the way a script drives it, for the benchmarks and the instruction-count
// driver: the simulated host, the module reached through its exports, "new" sent, and calls by
// method number with float arguments. Also the fixed point sets every measurement uses.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "simhost/sim_host.h"
#include "xtra/camera_class/camera_instance.h"
#include "xtra/camera_class/camera_interface.h"

namespace bench {

// Method numbers used here, in message-table order.
enum Method : int32_t {
    SetPosition = 2,
    SetInterest = 4,
    SetRotation = 6,
    SetFieldOfView = 9,
    GetProjection = 16,
};

// The orientation every measurement uses: turned in all three angles so that no term of the
// projection drops out, standing off the origin.
struct Pose {
    double x, y, z;           // position, world units
    double pitch, yaw, roll;  // degrees, as a script sets them
    double fieldOfView;       // degrees
};
constexpr Pose StandardPose{2.0, 3.0, 18.0, -8.0, 25.0, 12.0, 50.0};

class ScriptedCamera {
  public:
    // A camera on an 800 x 600 stage after "new", set to `pose` by setRotation, setPosition
    // and setFieldOfView (setRotation first, so the position does not re-aim it).
    explicit ScriptedCamera(const Pose& pose = StandardPose);
    ~ScriptedCamera();
    ScriptedCamera(const ScriptedCamera&) = delete;
    ScriptedCamera& operator=(const ScriptedCamera&) = delete;

    // One call as the host makes it: element 0 is "me", then the arguments as host floats.
    // Returns the status; the result is released unless `result` takes it.
    Status call(int32_t method, std::initializer_list<double> arguments,
                HostValue* result = nullptr);

    // The argument array for getProjection(x, y, z): "me" and three host floats, made once.
    std::vector<HostValue> projectionArguments(const Vec3& point);
    Status callWith(int32_t method, HostValue* elements, HostValue* result);

    const CameraState& state() const;
    CameraState& state();
    const HostLinks& links() const;
    sim::Host& host() { return host_; }
    InterfaceObject* interface() { return interface_; }

  private:
    sim::Host host_;
    sim::Instance instance_;
    InterfaceObject* interface_ = nullptr;
    std::vector<HostValue> madeValues_;  // argument values owned here, released at the end
};

// The host's side of one dispatched getProjection, called directly in the same order: three
// ValueToFloat, PointToValue, two FloatToValue with SetListItem and ReleaseValue, and the
// script's release of the point. What a dispatched call costs beyond this is the module's.
// Inline, and with the service pointers fetched once by the caller, so the measurement adds
// nothing of its own.
inline void hostOperationsOfProjection(ValueServices* values, ListServices* lists, sim::Host& host,
                                       const std::vector<HostValue>& elements) {
    double coordinates[3];
    for (int k = 0; k < 3; ++k) {
        const HostValue argument = elements[static_cast<size_t>(k) + 1];
        values->ops->ValueToFloat(values, &argument, &coordinates[k]);
    }
    HostValue result;
    const HostPoint origin{0, 0};
    values->ops->PointToValue(values, &origin, &result);
    for (int32_t index = 1; index <= 2; ++index) {
        HostValue item{};
        values->ops->FloatToValue(values, coordinates[index - 1], &item);
        lists->ops->SetListItem(lists, &result, index, &item);
        values->ops->ReleaseValue(values, &item);
    }
    host.release(result);
}

// Deterministic world points, split by where the camera sees them: `inView` strictly between
// the planes, `outOfView` behind the camera or beyond the far plane. Classified by the
// module's own projection of them.
struct PointSets {
    std::vector<Vec3> inView;
    std::vector<Vec3> outOfView;
};
PointSets makePointSets(const CameraState& camera, size_t count);

}  // namespace bench
