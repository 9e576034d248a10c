#include "demo/scene.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {

Solid box(const std::string& name, Point3 low, Point3 high, Rgb colour) {
    Solid solid{name, {}, {}, colour, {}};
    for (int i = 0; i < 8; ++i) {
        solid.vertices.push_back(
            {(i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z});
    }
    // Corners that differ in exactly one coordinate are joined.
    for (int i = 0; i < 8; ++i) {
        for (int bit = 1; bit < 8; bit <<= 1) {
            if ((i & bit) == 0) {
                solid.edges.push_back({i, i | bit});
            }
        }
    }
    solid.centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    return solid;
}

Solid pyramid(const std::string& name, Point3 base, double half, double height, Rgb colour) {
    Solid solid{name, {}, {}, colour, {base.x, base.y + height / 3, base.z}};
    solid.vertices = {{base.x - half, base.y, base.z - half},
                      {base.x + half, base.y, base.z - half},
                      {base.x + half, base.y, base.z + half},
                      {base.x - half, base.y, base.z + half},
                      {base.x, base.y + height, base.z}};
    solid.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 4}, {2, 4}, {3, 4}};
    return solid;
}

Solid octahedron(const std::string& name, Point3 centre, double radius, double turn, Rgb colour) {
    Solid solid{name, {}, {}, colour, centre};
    const double c = std::cos(turn) * radius;
    const double s = std::sin(turn) * radius;
    solid.vertices = {
        {centre.x + c, centre.y, centre.z + s},  {centre.x - s, centre.y, centre.z + c},
        {centre.x - c, centre.y, centre.z - s},  {centre.x + s, centre.y, centre.z - c},
        {centre.x, centre.y + radius, centre.z}, {centre.x, centre.y - radius, centre.z}};
    solid.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 4},
                   {2, 4}, {3, 4}, {0, 5}, {1, 5}, {2, 5}, {3, 5}};
    return solid;
}

Solid grid(double half, double step, Rgb colour) {
    Solid solid{"grid", {}, {}, colour, {0, 0, 0}};
    const int cells = static_cast<int>(std::lround(2 * half / step));
    const int side = cells + 1;
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            solid.vertices.push_back({-half + column * step, 0.0, -half + row * step});
        }
    }
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            const int here = row * side + column;
            if (column + 1 < side) {
                solid.edges.push_back({here, here + 1});
            }
            if (row + 1 < side) {
                solid.edges.push_back({here, here + side});
            }
        }
    }
    return solid;
}

Point3 pathAt(double time) {
    const double theta = 2 * Pi * time / LapSeconds;
    const double radius = 19.0 + 5.0 * std::sin(3 * theta);
    return {radius * std::sin(theta), 5.0 + 2.0 * std::sin(2 * theta + 0.5),
            radius * std::cos(theta)};
}

// Heading in the camera's yaw convention: 0 flies along -z, +90 along -x.
double headingAt(double time) {
    const double dt = 0.01;
    const Point3 a = pathAt(time - dt);
    const Point3 b = pathAt(time + dt);
    return std::atan2(-(b.x - a.x), -(b.z - a.z)) * 180.0 / Pi;
}

}  // namespace

double smoothStep(double start, double ramp, double time) {
    const double x = std::clamp((time - start) / ramp, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

Scene buildScene(double time) {
    Scene scene;
    scene.grid = grid(32.0, 4.0, {40, 210, 170});
    scene.solids.push_back(box("cube", {-11, 0, -2}, {-7, 4, 2}, {255, 150, 40}));
    scene.solids.push_back(pyramid("pyramid", {9, 0, 1}, 3.0, 6.0, {90, 170, 255}));
    scene.solids.push_back(box("tower", {-1.5, 0, -13.5}, {1.5, 11, -10.5}, {235, 235, 235}));
    scene.solids.push_back(octahedron("octahedron", {0, 9, 3}, 2.2, time * 0.8, {255, 80, 90}));
    scene.beacons = {{"beacon-cube", {-7, 4, 2}},
                     {"beacon-pyramid", {9, 6, 1}},
                     {"beacon-tower", {1.5, 11, -10.5}},
                     {"beacon-octahedron", scene.solids.back().vertices[4]}};
    return scene;
}

CameraPose flightAt(double time) {
    CameraPose pose{};
    pose.position = pathAt(time);
    pose.interest = {2.0 * std::sin(time * 0.4), 2.0, 1.5 * std::cos(time * 0.3)};

    // A coordinated turn banks by the rate of turn; the heading is unwrapped across +-180.
    double turn = headingAt(time + 0.25) - headingAt(time - 0.25);
    turn -= 360.0 * std::round(turn / 360.0);
    pose.bank = std::clamp(turn / 0.5 * 1.2, -25.0, 25.0);

    // Once a lap the camera stops tracking and looks along its flight for a while.
    const double lap = std::fmod(time, LapSeconds);
    pose.freeLook = smoothStep(10.0, 1.5, lap) * (1.0 - smoothStep(15.5, 1.5, lap));
    pose.flightYaw = headingAt(time);
    pose.flightPitch = -14.0;
    return pose;
}

}  // namespace demo
