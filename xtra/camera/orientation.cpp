#include "xtra/camera/orientation.h"

#include <cmath>

#include "xtra/camera/angles.h"

double vectorAngle(double a, double b, double c, double d) {
    const double e = std::hypot(a, b);
    const double f = std::hypot(c, d);
    if (e == 0.0 || f == 0.0) {
        return 0.0;
    }
    double cosine = (a / e) * (c / f) + (b / e) * (d / f);
    // For (nearly) parallel vectors rounding can land just past +-1, where acos has no value.
    // Written as comparisons so that a NaN (from infinite components) stays NaN.
    if (cosine > 1.0) {
        cosine = 1.0;
    } else if (cosine < -1.0) {
        cosine = -1.0;
    }
    return std::acos(cosine);
}

AimAngles aimAngles(const Vec3& position, const Vec3& interest) {
    // dx and dz run from the interest to the camera, dy from the camera to the interest.
    const double dx = position.x - interest.x;
    const double dy = interest.y - position.y;
    const double dz = position.z - interest.z;

    AimAngles aim{};
    if (dx == 0.0) {
        // Straight behind is +pi, never -pi, whichever sign the zero has.
        aim.yaw = dz < 0.0 ? piValue() : 0.0;
    } else if (dx < 0.0) {
        aim.yaw = -vectorAngle(dz, dx, 1.0, 0.0);
    } else {
        aim.yaw = vectorAngle(dz, dx, 1.0, 0.0);
    }

    // The horizontal distance, turned into the camera's heading from the yaw just found; it is
    // the length of (dx, dz) up to rounding and never negative.
    const double horizontal = std::cos(-aim.yaw) * dz - std::sin(-aim.yaw) * dx;
    const double elevation = vectorAngle(horizontal, dy, 1.0, 0.0);
    aim.pitch = dy < 0.0 ? -elevation : elevation;
    return aim;
}

RotationTable rotationTableFor(double pitch, double yaw, double roll) {
    RotationTable table{};
    table.sinNegPitch = std::sin(-pitch);
    table.sinPitch = std::sin(pitch);
    table.cosNegPitch = std::cos(-pitch);
    table.cosPitch = std::cos(pitch);
    table.sinYaw = std::sin(yaw);
    table.sinNegYaw = std::sin(-yaw);
    table.cosYaw = std::cos(yaw);
    table.cosNegYaw = std::cos(-yaw);
    setRollEntries(table, roll);
    return table;
}

void setRollEntries(RotationTable& table, double roll) {
    table.sinNegRoll = std::sin(-roll);
    table.sinRoll = std::sin(roll);
    table.cosNegRoll = std::cos(-roll);
    table.cosRoll = std::cos(roll);
}

ProjectionScales projectionScales(double fieldOfView, double pictureRatio, double centreV) {
    ProjectionScales scales{};
    scales.fieldOfView = fieldOfView;
    double t = std::tan(fieldOfView * 0.5);
    if (t == 0.0 || std::isnan(t)) {
        scales.fieldOfView = degreesToRadians(45.0);
        t = std::tan(scales.fieldOfView * 0.5);
    }
    scales.scaleH = centreV / pictureRatio / t;
    scales.scaleV = centreV / t;
    return scales;
}

void aimAtInterest(CameraState& camera) {
    const AimAngles aim = aimAngles(camera.position, camera.interest);
    camera.yaw = aim.yaw;
    camera.pitch = aim.pitch;
    // The roll is the script's and stays.
    updateRotationTable(camera);
}

void updateRotationTable(CameraState& camera) {
    camera.rotationTable = rotationTableFor(camera.pitch, camera.yaw, camera.roll);
}

void updateProjectionScale(CameraState& camera) {
    const ProjectionScales scales =
        projectionScales(camera.fieldOfView, camera.pictureRatio, camera.centreV);
    camera.fieldOfView = scales.fieldOfView;
    camera.scaleH = scales.scaleH;
    camera.scaleV = scales.scaleV;
}

void setStageSize(CameraState& camera, double width, double height) {
    camera.stageWidth = width;
    camera.stageHeight = height;
    camera.centreH = width * 0.5;
    camera.centreV = height * 0.5;
}
