#include "xtra/camera/projection.h"

StageLens lensOf(const CameraState& camera) {
    return StageLens{camera.scaleH, camera.scaleV, camera.centreH, camera.centreV};
}

Vec3 offsetFromCamera(const Vec3& world, const Vec3& position) {
    return Vec3{world.x - position.x, world.y - position.y, world.z - position.z};
}

Vec3 undoYawAndPitch(const Vec3& offset, const RotationTable& table) {
    const double x1 = table.cosNegYaw * offset.x + table.sinNegYaw * offset.z;
    const double z1 = table.cosNegYaw * offset.z - table.sinNegYaw * offset.x;
    const double y2 = table.cosPitch * offset.y + table.sinPitch * z1;
    const double depth = table.cosPitch * z1 - table.sinPitch * offset.y;
    return Vec3{x1, y2, depth};
}

Vec3 undoRoll(const Vec3& pitched, const RotationTable& table) {
    const double x3 = table.sinRoll * pitched.y + table.cosRoll * pitched.x;
    const double y3 = table.cosRoll * pitched.y - table.sinRoll * pitched.x;
    return Vec3{x3, y3, pitched.z};
}

bool isInView(double depth, double nearPlane, double farPlane) {
    return -farPlane < depth && depth < -nearPlane;
}

StagePoint perspective(const Vec3& view, const StageLens& lens) {
    // Divide, scale, then place around the centre, in this order.
    const double h = lens.centreH - (view.x / view.z) * lens.scaleH;
    const double v = (view.y / view.z) * lens.scaleV + lens.centreV;
    return StagePoint{h, v};
}

int32_t blendLevel(double depth, double nearPlane, double farPlane) {
    const double distance = -depth;
    double level = (distance - farPlane) * 255.0 / (nearPlane - farPlane);
    // Written so that NaN (equal or infinite planes) falls to 0.
    if (!(level >= 0.0)) {
        level = 0.0;
    } else if (level > 255.0) {
        level = 255.0;
    }
    // level + 0.5 lies in [0.5, 255.5], so the truncation is always in range.
    return static_cast<int32_t>(level + 0.5);
}

Vec3 undoPerspective(const StagePoint& screen, double depth, const StageLens& lens) {
    // Subtract, multiply by the depth, divide by the scale, in this order.
    const double y = (screen.v - lens.centreV) * depth / lens.scaleV;
    const double x = (lens.centreH - screen.h) * depth / lens.scaleH;
    return Vec3{x, y, depth};
}

Vec3 partialCameraToWorld(const Vec3& view, const RotationTable& table) {
    const double y = (table.cosNegRoll * view.y - table.sinNegRoll * view.x) * table.cosNegPitch +
                     view.z * table.sinNegPitch;
    const double x = view.z * table.sinYaw + table.cosYaw * view.x;
    const double z = table.cosYaw * view.z - table.sinYaw * view.x;
    return Vec3{x, y, z};
}

Projection projectPoint(const Vec3& world, const CameraState& camera) {
    const Vec3 offset = offsetFromCamera(world, camera.position);
    const Vec3 pitched = undoYawAndPitch(offset, camera.rotationTable);
    if (!isInView(pitched.z, camera.nearPlane, camera.farPlane)) {
        return Projection{Vec3{offset.x, offset.y, pitched.z}, OutOfViewPoint};
    }
    const Vec3 view = undoRoll(pitched, camera.rotationTable);
    return Projection{view, perspective(view, lensOf(camera))};
}

BackProjection backProjectPoint(const StagePoint& screen, double worldZ,
                                const CameraState& camera) {
    const Vec3& position = camera.position;
    const Vec3 view = undoPerspective(screen, worldZ - position.z, lensOf(camera));
    const Vec3 offset = partialCameraToWorld(view, camera.rotationTable);
    return BackProjection{
        offset, Vec3{offset.x + position.x, offset.y + position.y, offset.z + position.z}};
}
