#include "demo/legend.h"

#include <iterator>

namespace demo {

namespace {

constexpr int Left = 16;
constexpr int Top = 34;
constexpr int LineHeight = 15;
constexpr Rgb Panel = {4, 6, 16};
constexpr Rgb Ink = {220, 230, 250};
constexpr Rgb Dim = {120, 130, 150};

// Keys that work only while the person holds the camera come after the first two.
const char* const Keys[] = {
    "Tab    take the camera / give it back",
    "F1 legend   F2 readout   Esc end",
    "W S A D   forward, back, left, right",
    "R F   up, down      Shift   faster",
    "right mouse button held   turn (free look)",
    "T   track the solid nearest the centre",
    "Q E   roll            1 2, wheel   field of view",
    "3 4   picture ratio   5 6   near plane",
    "7 8   far plane       9 0   probe depth",
    "Backspace   the flight's lens again",
};

}  // namespace

void drawLegend(BackBuffer& buffer, bool holding) {
    const int lines = static_cast<int>(std::size(Keys));
    buffer.box(Left - 6, Top - 4, 262, lines * LineHeight + 8, Panel);
    for (int i = 0; i < lines; ++i) {
        buffer.text(Left, Top + i * LineHeight, Keys[i], holding || i < 2 ? Ink : Dim);
    }
}

}  // namespace demo
