// The stage's size, read through the host from its presentation window, and the plug-in's one
// Windows call, GetWindowRect, behind a seam: on Windows the real call, elsewhere a stand-in
// window record whose answers the tests set.
#pragma once

#include <cstdint>

#include "xtra/boundary/host_interfaces.h"

struct StageRect {
    int32_t left, top, right, bottom;
};

// False when the window's rectangle cannot be read.
bool readWindowRect(void* window, StageRect* out);

struct StageSize {
    double width, height;  // pixels
};

// The stage from its window rectangle. The differences are taken in 64 bits, so even a
// nonsensical rectangle cannot overflow; an inverted one gives a negative size, as it is.
StageSize stageSizeOf(const StageRect& rect);

// The stage of a window that is not native or whose rectangle cannot be read: 0 by 0 pixels.
constexpr StageSize EmptyStage{0.0, 0.0};

struct StageReading {
    Status status;    // of the first failing host call, else 0
    bool measured;    // false: no presentation services, or a host call failed
    StageSize stage;  // when measured
};

// Walks from the host's presentation services to the presentation window's rectangle. Without
// presentation services there is no stage to read, which is not a failure. Every host object
// obtained on the way is given back, the last obtained first.
StageReading measureStage(HostServices* services);

#if !defined(_WIN32)
// What a native-window record's handle points at off Windows.
struct StandInWindow {
    StageRect rect;
    bool succeeds;
};
#endif
