// The workbench's live readout, in the top right corner: the camera's state as its getters
// answer it, and for the stage point under the mouse the round trip getCoordinates at a chosen
// depth, getProjection of that world point back, getDistance and getBlendLevel. Answers are
// shown as the camera gave them: numbers, or symbols such as #errInvalidParameter.
#pragma once

#include <string>
#include <vector>

#include "demo/back_buffer.h"
#include "demo/script_client.h"

namespace demo {

// What the readout shows besides the camera's answers.
struct ReadoutInput {
    std::string tracking;    // what the camera tracks, or "off"
    std::string lastAnswer;  // the last change and the camera's answer to it
    bool lastRefused;
    int mouseH, mouseV;  // the probe's stage point
    double probeDepth;   // camera-space depth, negative in front of the camera
    double frameRate;    // frames a second, 0 while unknown
};

// An answer as the readout prints it: floats with three decimals, lists in brackets, points
// in parentheses, symbols with their #.
std::string formatAnswer(const Answer& answer);

class Readout {
  public:
    // Asks the camera for everything shown, now.
    void gather(ScriptClient& camera, const ReadoutInput& input);
    void draw(BackBuffer& buffer) const;
    // The lines as drawn, top to bottom.
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
    std::vector<bool> warn_;  // lines drawn in the warning colour
};

}  // namespace demo
