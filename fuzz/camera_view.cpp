#include "fuzz/camera_view.h"

#include <cmath>
#include <cstring>

#include "xtra/camera_class/camera_instance.h"

namespace view {

namespace {

// The same double, or both NaN: NaN angles give NaN table entries, whatever their payload.
bool sameNumber(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

bool rotationTableMatchesAngles(InterfaceObject* object) {
    const CameraState& camera = cameraInstanceOf(object).camera;
    const RotationTable& t = camera.rotationTable;
    const double pitch = camera.pitch;
    const double yaw = camera.yaw;
    const double roll = camera.roll;
    return sameNumber(t.sinNegPitch, std::sin(-pitch)) && sameNumber(t.sinPitch, std::sin(pitch)) &&
           sameNumber(t.cosNegPitch, std::cos(-pitch)) && sameNumber(t.cosPitch, std::cos(pitch)) &&
           sameNumber(t.sinYaw, std::sin(yaw)) && sameNumber(t.sinNegYaw, std::sin(-yaw)) &&
           sameNumber(t.cosYaw, std::cos(yaw)) && sameNumber(t.cosNegYaw, std::cos(-yaw)) &&
           sameNumber(t.sinNegRoll, std::sin(-roll)) && sameNumber(t.sinRoll, std::sin(roll)) &&
           sameNumber(t.cosNegRoll, std::cos(-roll)) && sameNumber(t.cosRoll, std::cos(roll));
}

int32_t referenceCountOf(InterfaceObject* object) {
    return object->refCount;
}

}  // namespace view
