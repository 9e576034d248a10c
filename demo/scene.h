// What the presentation shows, independent of how it is drawn: a ground grid, a few
// wireframe solids, beacons at known world points, and the camera's flight.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "demo/basics.h"

namespace demo {

struct Edge {
    int a, b;  // indices into the owner's vertices
};

struct Solid {
    std::string name;
    std::vector<Point3> vertices;
    std::vector<Edge> edges;
    Rgb colour;
    Point3 centre;  // for depth sorting
};

struct Scene {
    Solid grid;  // the ground, one vertex per crossing so that a line far behind the camera
                 // drops out one cell at a time rather than whole
    std::vector<Solid> solids;
    // A top vertex of each solid, drawn as a distinct square on top of everything, so a
    // recording can find on screen the points whose projections the capture log names.
    std::vector<std::pair<std::string, Point3>> beacons;
};

// The scene at `time` seconds: the octahedron turns, everything else stands still.
Scene buildScene(double time);

// Where the camera is and how it should turn at `time` seconds into the flight.
struct CameraPose {
    Point3 position;
    Point3 interest;     // the point it tracks
    double bank;         // degrees; positive banks to the left, into a left turn
    double freeLook;     // 0: tracking the interest; up to 1: looking ahead along the flight
    double flightYaw;    // degrees, the heading of the flight (yaw convention of the camera)
    double flightPitch;  // degrees, the angle to look down at while looking ahead
};

CameraPose flightAt(double time);

// 0 before `start`, 1 after `start + ramp`, a smooth step between.
double smoothStep(double start, double ramp, double time);

// The length of one lap of the flight, in seconds.
constexpr double LapSeconds = 24.0;

}  // namespace demo
