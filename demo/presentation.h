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

// The lens: field of view in degrees, picture ratio, near and far plane.
struct Lens {
    double fieldOfView, pictureRatio, nearPlane, farPlane;
};
// The flight's lens: a wider lens than the default; picture ratio 1, because both scales are
// taken from the stage's height and 1 keeps a square a square; and a depth range that spans
// the scene so the blend level runs from bright near to faint far.
constexpr Lens ShowLens = {50.0, 1.0, 0.5, 70.0};

// Sets the four lens values, the planes in an order that the camera accepts whatever the
// planes were before (the near plane may not pass the far one). False when one was refused.
bool setLens(ScriptClient& camera, const Lens& lens);

class Presentation {
  public:
    explicit Presentation(ScriptClient& camera);

    // Lens and depth range of the flight; false when the camera refused one of them.
    bool setUpCamera();
    // Puts the camera where the flight is at `time`: tracking its interest and banking, or for
    // a while each lap looking along the flight.
    void moveCamera(double time);
    // Goes on with the flight from a camera that someone else moved: over the next few seconds
    // of `time` the camera glides from `handed` back onto the flight.
    void resumeFrom(const CameraSnapshot& handed, double time);
    // Draws the scene as the camera sees it now; `fade` 1 is full brightness, 0 black. In two
    // steps, so that something can be drawn between the scene and the beacons on top of it;
    // `caption` is the line at the foot of the stage.
    void drawScene(BackBuffer& buffer, double time, double fade, const std::string& caption);
    void drawBeacons(BackBuffer& buffer, double fade);
    void draw(BackBuffer& buffer, double time, double fade) {
        drawScene(buffer, time, fade, caption(time));
        drawBeacons(buffer, fade);
    }
    // The foot line of the flight at `time`.
    std::string caption(double time) const;
    // Drops a marker at the world point under the stage point (h, v).
    void drop(int h, int v);
    // A text record of the frame last drawn: the camera's state and the projections of the
    // beacons, a few named vertices, the markers and `more` points, as the camera answers
    // them now.
    std::string report(double time, const std::vector<std::pair<std::string, Point3>>& more = {});

    bool freeLooking() const { return freeLook_ > 0.0; }
    bool returning() const { return returning_; }
    const Scene& scene() const { return scene_; }

  private:
    struct Projected {
        ProjectedPoint stage;
        int level;
    };
    struct Marker {
        Point3 world;
        int clickH, clickV;
    };

    Projected project(const Point3& world);
    // The flight's own camera calls for `pose`, from `position`.
    void fly(const CameraPose& pose, const Point3& position);
    // One step of the glide back onto the flight, `share` 0 at the hand-back, 1 on the flight.
    void glide(const CameraPose& pose, double share);
    void drawSolid(BackBuffer& buffer, const Solid& solid, double fade);

    ScriptClient& camera_;
    Scene scene_;
    std::vector<Marker> markers_;
    double freeLook_ = 0.0;
    CameraSnapshot handed_{};
    double resumedAt_ = 0.0;
    bool returning_ = false;
};

// The colours a test looks for on screen.
constexpr Rgb BeaconColour = {255, 0, 255};
constexpr Rgb MarkerColour = {255, 230, 0};
constexpr Rgb Background = {10, 14, 36};

}  // namespace demo
