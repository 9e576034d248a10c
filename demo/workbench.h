// The camera workbench: a person takes the camera from the flight at any time, flies it with
// the keys and the mouse, changes its lens and reads every value live; the same key gives it
// back to the flight. Every change goes to the camera through its script methods, and what
// the camera answers (Ok, or a refusal such as #errInvalidParameter) is shown as it came.
//
// The keys are those of key_bindings.h; the legend (F1) lists them on the stage.
#pragma once

#include <string>
#include <vector>

#include "demo/back_buffer.h"
#include "demo/presentation.h"
#include "demo/readout.h"
#include "demo/script_client.h"

namespace demo {

class Workbench {
  public:
    Workbench(ScriptClient& camera, Presentation& presentation);

    // Input from the stage window. keyDown answers whether the key was the workbench's.
    bool keyDown(unsigned key, bool shift);
    void keyUp(unsigned key);
    void mouseMove(int h, int v);
    void turnStart(int h, int v);
    void turnEnd();
    void wheel(int notches);

    // Once a frame, with the run's clock in seconds (capture waits left out): moves the camera
    // with the keys held since the last frame.
    void tick(double clock);
    // The flight's time at `clock`: it stands still while the person holds the camera and goes
    // on from there when it is given back.
    double lapTime(double clock) const;
    bool holding() const { return holding_; }
    // Once a frame after the flight has moved the camera: keeps the camera's path for a while
    // after a hand-back, so that a recording can see the flight take over without a jump.
    void afterFlight(double lapTime);

    std::string caption() const;
    // The readout and the legend, when they are on; between the scene and its beacons.
    void drawOverlays(BackBuffer& buffer);
    // Points whose projections a recording checks: the mouse probe's world point and the
    // interest.
    std::vector<std::pair<std::string, Point3>> checkedPoints();
    // A text record of the workbench for the capture log.
    std::string report() const;

  private:
    void takeCamera();
    void giveBack();
    void toggleTracking();
    void turn(int h, int v);
    void changeBy(const char* getter, const char* setter, double step);
    void remember(const std::string& call, const Answer& answer);
    Answer send(const char* method, const std::vector<double>& args);

    ScriptClient& camera_;
    Presentation& presentation_;
    Readout readout_;
    bool holding_ = false;
    bool readoutShown_ = false;
    bool legendShown_ = false;
    bool tracking_ = false;
    std::string trackingName_ = "off";
    std::string lastAnswer_ = "none yet";
    bool lastRefused_ = false;
    bool heldKeys_[256] = {};  // by virtual-key code, while the person holds the camera
    bool fast_ = false;
    bool turning_ = false;
    int turnH_ = 0, turnV_ = 0;
    int mouseH_, mouseV_;
    double probeDepth_ = -15.0;
    double lastClock_ = 0.0;
    double heldSince_ = 0.0;  // the clock when the person took the camera
    double heldTotal_ = 0.0;  // seconds the flight has stood still so far
    long long inputs_ = 0;    // keys released, turns ended and wheel turns handled
    std::vector<double> frameClocks_;
    std::vector<std::string> trace_;
    double traceUntil_ = -1.0;
};

}  // namespace demo
