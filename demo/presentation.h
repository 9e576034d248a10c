// The presentation's script: each frame it moves the camera along the flight through the
// camera's script methods, projects and depth-cues the scene with them and draws the result;
// a click drops a marker at the world point that getCoordinates gives for it.
#pragma once

#include <string>
#include <vector>

#include "demo/back_buffer.h"
#include "demo/scene.h"
#include "demo/script_client.h"

namespace demo {

constexpr int StageWidth = 800;
constexpr int StageHeight = 600;

class Presentation {
  public:
    explicit Presentation(ScriptClient& camera);

    // Lens and depth range of the flight; false when the camera refused one of them.
    bool setUpCamera();
    // Puts the camera where the flight is at `time`: tracking its interest and banking, or for
    // a while each lap looking along the flight.
    void moveCamera(double time);
    // Draws the scene as the camera sees it now; `fade` 1 is full brightness, 0 black.
    void draw(BackBuffer& buffer, double time, double fade);
    // Drops a marker at the world point under the stage point (h, v).
    void drop(int h, int v);
    // A text record of the frame last drawn: the camera's state and the projections of the
    // beacons, a few named vertices and the markers, as the camera answers them now.
    std::string report(double time);

    bool freeLooking() const { return freeLook_ > 0.0; }

  private:
    struct Projected {
        StagePoint stage;
        int level;
    };
    struct Marker {
        Point3 world;
        int clickH, clickV;
    };

    Projected project(const Point3& world);
    void drawSolid(BackBuffer& buffer, const Solid& solid, double fade);

    ScriptClient& camera_;
    Scene scene_;
    std::vector<Marker> markers_;
    double freeLook_ = 0.0;
};

// The colours a test looks for on screen.
constexpr Rgb BeaconColour = {255, 0, 255};
constexpr Rgb MarkerColour = {255, 230, 0};
constexpr Rgb Background = {10, 14, 36};

}  // namespace demo
