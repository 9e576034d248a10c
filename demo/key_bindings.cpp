#include "demo/key_bindings.h"

#include <windows.h>

namespace demo {

const std::vector<KeyBinding>& keyBindings() {
    static const std::vector<KeyBinding> table = {
        {VK_TAB, Command::TakeOrGiveBack, 0, true, "Tab    take the camera / give it back", true},
        {VK_F1, Command::Legend, 0, true, "F1 legend   ", true},
        {VK_F2, Command::Readout, 0, true, "F2 readout   ", false},
        {VK_ESCAPE, Command::End, 0, true, "Esc end", false},
        {'W', Command::Forward, 1, false, "W S A D   forward, back, left, right", true},
        {'S', Command::Forward, -1, false, nullptr, false},
        {'A', Command::Right, -1, false, nullptr, false},
        {'D', Command::Right, 1, false, nullptr, false},
        {'R', Command::Up, 1, false, "R F   up, down      ", true},
        {'F', Command::Up, -1, false, nullptr, false},
        {VK_SHIFT, Command::Faster, 0, false, "Shift   faster", false},
        {0, Command::Turn, 0, false, "right mouse button held   turn (free look)", true},
        {'T', Command::Track, 0, false, "T   track the solid nearest the centre", true},
        {'Q', Command::Roll, -5, false, "Q E   roll            ", true},
        {'E', Command::Roll, 5, false, nullptr, false},
        // The wheel's step is the workbench's own.
        {'1', Command::FieldOfView, -5, false, "1 2, wheel   field of view", false},
        {'2', Command::FieldOfView, 5, false, nullptr, false},
        {'3', Command::PictureRatio, -0.1, false, "3 4   picture ratio   ", true},
        {'4', Command::PictureRatio, 0.1, false, nullptr, false},
        {'5', Command::NearPlane, -0.5, false, "5 6   near plane", false},
        {'6', Command::NearPlane, 0.5, false, nullptr, false},
        {'7', Command::FarPlane, -10, false, "7 8   far plane       ", true},
        {'8', Command::FarPlane, 10, false, nullptr, false},
        {'9', Command::ProbeDepth, -1, false, "9 0   probe depth", false},
        {'0', Command::ProbeDepth, 1, false, nullptr, false},
        {VK_BACK, Command::FlightLens, 0, false, "Backspace   the flight's lens again", true},
    };
    return table;
}

const KeyBinding* bindingOf(unsigned key) {
    for (const KeyBinding& binding : keyBindings()) {
        if (binding.key == key && key != 0) {
            return &binding;
        }
    }
    return nullptr;
}

}  // namespace demo
