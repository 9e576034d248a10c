// Capture mode, for recording the presentation from outside (make demo and its test). When
// ORVANTA_DEMO_CAPTURE names a folder, the projector stops at a few fixed moments, writes
// what it shows to a text file there and waits until the recorder has taken its picture:
//
//   splash.txt   written first thing, before any window exists or any message is read, so the
//                loader's splash stays on screen until the recorder answers with splash.done;
//   frame-NN.txt the camera's state and the projections of known points in frame NN, which
//                stays on screen until frame-NN.done;
//   black.txt    the last, black frame, until black.done;
//   exit.txt     the exit code, written just before the program returns.
//
// Besides the fixed moments, a recorder may ask for the frame on screen at any time, which it
// needs while a person (or xdotool) holds the camera and the flight's clock stands still: it
// makes "snap-NN.request", and the projector writes snap-NN.txt for the next frame it draws,
// with the workbench's record added, and holds that frame until snap-NN.done.
//
// A file appears whole (written under another name, then renamed). Every wait gives up after
// a time-out, so a recorder that has gone away never stops the presentation.
#pragma once

#include <string>

namespace demo {

class Capture {
  public:
    explicit Capture(std::string folder);

    bool on() const { return !folder_.empty(); }
    void announce(const std::string& name, const std::string& text) const;
    // Whether the recorder has asked for "<name>" with "<name>.request".
    bool requested(const std::string& name) const;
    // Waits for "<name>.done"; while waiting, window messages are handled if `pump` is set.
    // Answers how long it waited, in seconds.
    double waitFor(const std::string& name, bool pump) const;

  private:
    std::string folder_;
};

}  // namespace demo
