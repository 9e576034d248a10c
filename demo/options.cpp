#include "demo/options.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace demo {

namespace {

// A non-negative finite number making up the whole text.
bool parseSeconds(const std::string& text, double* out) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(value) || value < 0.0) {
        return false;
    }
    *out = value;
    return true;
}

// The capture moments a run of `seconds` stops at when none are given: with a whole lap, two
// while tracking, three while looking along the flight and one after; otherwise six spread
// evenly.
std::vector<double> defaultFrames(double seconds) {
    if (seconds >= 24.0) {
        return {2.0, 6.5, 11.5, 13.5, 15.0, 21.0};
    }
    std::vector<double> frames;
    for (int i = 0; i < 6; ++i) {
        frames.push_back(seconds * (i + 0.5) / 6.0);
    }
    return frames;
}

}  // namespace

Options readOptions(const std::string& commandLine, std::string (*environment)(const char* name)) {
    Options options;
    const std::string fromEnvironment = environment("ORVANTA_DEMO_SECONDS");
    if (!fromEnvironment.empty() && !parseSeconds(fromEnvironment, &options.seconds)) {
        options.problem = "ORVANTA_DEMO_SECONDS is not a number of seconds: " + fromEnvironment;
    }
    std::istringstream words(commandLine);
    std::string word;
    while (words >> word) {
        if (word == "--seconds") {
            std::string value;
            words >> value;
            if (!parseSeconds(value, &options.seconds)) {
                options.problem = "--seconds needs a number of seconds, not '" + value + "'";
            }
        } else {
            options.problem = "unknown option '" + word + "'";
        }
    }
    options.captureFolder = environment("ORVANTA_DEMO_CAPTURE");
    const std::string frames = environment("ORVANTA_DEMO_FRAMES");
    if (!frames.empty()) {
        std::istringstream list(frames);
        std::string item;
        while (std::getline(list, item, ',')) {
            double moment = 0.0;
            if (!parseSeconds(item, &moment)) {
                options.problem = "ORVANTA_DEMO_FRAMES is not a list of seconds: " + frames;
                break;
            }
            options.frames.push_back(moment);
        }
    } else if (!options.captureFolder.empty() && options.seconds > 0.0) {
        options.frames = defaultFrames(options.seconds);
    }
    return options;
}

}  // namespace demo
