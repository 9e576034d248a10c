// The projector's run options. It needs none: without them it plays until Escape. For
// unattended runs the run time can be bounded, on the command line or through the
// environment (which the loader passes on to it):
//
//   projector.exe [--seconds N]          ORVANTA_DEMO_SECONDS=N
//   ORVANTA_DEMO_CAPTURE=<folder>        capture mode, see capture.h
//   ORVANTA_DEMO_FRAMES=t1,t2,...        the moments (seconds) at which capture mode stops
#pragma once

#include <string>
#include <vector>

namespace demo {

struct Options {
    double seconds = 0.0;  // 0: no bound
    std::string captureFolder;
    std::vector<double> frames;
    std::string problem;  // a malformed option, reported instead of running
};

// `commandLine` without the program's name; `environment` looks a variable up (empty when
// it is not set).
Options readOptions(const std::string& commandLine, std::string (*environment)(const char* name));

}  // namespace demo
