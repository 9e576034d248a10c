#include "demo/legend.h"

#include <string>
#include <utility>
#include <vector>

#include "demo/key_bindings.h"

namespace demo {

namespace {

constexpr int Left = 16;
constexpr int Top = 34;
constexpr int LineHeight = 15;
constexpr Rgb Panel = {4, 6, 16};
constexpr Rgb Ink = {220, 230, 250};
constexpr Rgb Dim = {120, 130, 150};

}  // namespace

void drawLegend(BackBuffer& buffer, bool holding) {
    // The bindings' words, a line started by each binding that says so; a line is dim while
    // its keys wait for the person to take the camera.
    std::vector<std::pair<std::string, bool>> lines;  // text, drawn bright
    for (const KeyBinding& binding : keyBindings()) {
        if (binding.legend == nullptr) {
            continue;
        }
        if (binding.newLine || lines.empty()) {
            lines.push_back({"", holding || binding.anyTime});
        }
        lines.back().first += binding.legend;
    }
    buffer.box(Left - 6, Top - 4, 262, static_cast<int>(lines.size()) * LineHeight + 8, Panel);
    for (size_t i = 0; i < lines.size(); ++i) {
        buffer.text(Left, Top + static_cast<int>(i) * LineHeight, lines[i].first.c_str(),
                    lines[i].second ? Ink : Dim);
    }
}

}  // namespace demo
