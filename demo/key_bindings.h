// The workbench's keys, in one table: the workbench acts on it, the legend (F1) draws it on the
// stage, and the stage window ends the presentation by it.
#pragma once

#include <vector>

namespace demo {

enum class Command {
    TakeOrGiveBack,  // take the camera from the flight / give it back
    Legend,          // the legend on / off
    Readout,         // the readout on / off
    End,             // end the presentation
    Forward,         // while held: move along the view (step 1) or back (-1)
    Right,           // while held: move right (1) or left (-1)
    Up,              // while held: move up (1) or down (-1)
    Faster,          // while held: move four times as fast
    Turn,            // turn the camera (the mouse)
    Track,           // track the solid nearest the centre / stop tracking
    Roll,            // roll by `step` degrees
    FieldOfView,     // the field of view by `step` degrees
    PictureRatio,    // the picture ratio by `step`
    NearPlane,       // the near plane by `step` world units
    FarPlane,        // the far plane by `step` world units
    ProbeDepth,      // the mouse probe's depth by `step` world units (negative is farther)
    FlightLens,      // the flight's lens again
};

struct KeyBinding {
    unsigned key;  // virtual-key code; 0 for a mouse binding, which only the legend shows
    Command command;
    double step;   // this key's amount and direction for its command; 0 where there is none
    bool anyTime;  // works whether or not the person holds the camera
    // The binding's words on the legend, spaced as they line up there, or null for a key that
    // the words of the binding before it cover; `newLine` starts a line of the legend.
    const char* legend;
    bool newLine;
};

// Every binding, in the legend's order.
const std::vector<KeyBinding>& keyBindings();

// The binding of a virtual key, or null when the key has none.
const KeyBinding* bindingOf(unsigned key);

}  // namespace demo
