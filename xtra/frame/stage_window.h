// The plug-in's one Windows call, GetWindowRect, behind a seam: on Windows the real call,
// elsewhere a stand-in window record whose answers the tests set.
#pragma once

#include <cstdint>

struct StageRect {
    int32_t left, top, right, bottom;
};

// False when the window's rectangle cannot be read.
bool readWindowRect(void* window, StageRect* out);

#if !defined(_WIN32)
// What a native-window record's handle points at off Windows.
struct StandInWindow {
    StageRect rect;
    bool succeeds;
};
#endif
