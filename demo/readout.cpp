#include "demo/readout.h"

#include <cstdio>

namespace demo {

namespace {

constexpr int Left = 500;
constexpr int Top = 8;
constexpr int Width = 292;
constexpr int LineHeight = 15;
constexpr Rgb Panel = {4, 6, 16};
constexpr Rgb Ink = {220, 230, 250};
constexpr Rgb Warning = {255, 170, 60};

std::string decimals(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

bool refused(const Answer& answer) {
    return answer.kind == Answer::Symbol || answer.kind == Answer::Other;
}

}  // namespace

std::string formatAnswer(const Answer& answer) {
    std::string text;
    switch (answer.kind) {
        case Answer::Float:
            return decimals(answer.numbers.front());
        case Answer::Integer:
            return std::to_string(static_cast<long long>(answer.numbers.front()));
        case Answer::List:
        case Answer::Point:
            for (double number : answer.numbers) {
                text += (text.empty() ? "" : ", ") + decimals(number);
            }
            return answer.kind == Answer::List ? "[" + text + "]" : "(" + text + ")";
        case Answer::Symbol:
            return "#" + answer.symbol;
        case Answer::Other:
            break;
    }
    return answer.text;
}

void Readout::gather(ScriptClient& camera, const ReadoutInput& input) {
    lines_.clear();
    warn_.clear();
    auto add = [&](const std::string& line, bool warn) {
        lines_.push_back(line);
        warn_.push_back(warn);
    };
    auto getter = [&](const char* label, const char* method, const char* unit) {
        const Answer answer = camera.call(method, {});
        add(std::string(label) + "  " + formatAnswer(answer) + unit, refused(answer));
        return answer;
    };
    const Answer position = getter("position", "getPosition", "");
    getter("interest", "getInterest", "");
    getter("rotation", "getRotation", " deg");
    getter("field of view", "getFieldOfView", " deg");
    getter("picture ratio", "getPictureRatio", "");
    getter("near plane", "getNearPlane", "");
    getter("far plane", "getFarPlane", "");
    add("tracking  " + input.tracking, false);
    add("last  " + input.lastAnswer, input.lastRefused);

    // The probe: a world z the given depth in front of the camera, as getCoordinates takes it.
    const double z =
        (position.kind == Answer::List && position.numbers.size() == 3 ? position.numbers[2]
                                                                       : 0.0) +
        input.probeDepth;
    char line[96];
    std::snprintf(line, sizeof line, "mouse  %d, %d  depth %.1f (worldZ %.3f)", input.mouseH,
                  input.mouseV, input.probeDepth, z);
    add(line, false);
    const Answer world = camera.call("getCoordinates", {1.0 * input.mouseH, 1.0 * input.mouseV, z});
    add("getCoordinates  " + formatAnswer(world), refused(world));
    if (world.kind == Answer::List && world.numbers.size() == 3) {
        const Answer back = camera.call("getProjection", world.numbers);
        add("getProjection  " + formatAnswer(back), refused(back));
        const Answer distance = camera.call("getDistance", {});
        add("getDistance  " + formatAnswer(distance), refused(distance));
        const Answer level = camera.call("getBlendLevel", {});
        add("getBlendLevel  " + formatAnswer(level), refused(level));
    }
    if (input.frameRate > 0.0) {
        std::snprintf(line, sizeof line, "%.0f frames a second", input.frameRate);
        add(line, false);
    }
}

void Readout::draw(BackBuffer& buffer) const {
    const int height = static_cast<int>(lines_.size()) * LineHeight + 8;
    buffer.box(Left, Top, Width, height, Panel);
    for (size_t i = 0; i < lines_.size(); ++i) {
        buffer.text(Left + 8, Top + 4 + static_cast<int>(i) * LineHeight, lines_[i].c_str(),
                    warn_[i] ? Warning : Ink);
    }
}

}  // namespace demo
