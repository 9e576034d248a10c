#include <windows.h>

#include "xtra/boundary/stage_window.h"

bool readWindowRect(void* window, StageRect* out) {
    RECT rect{};
    if (!GetWindowRect(static_cast<HWND>(window), &rect)) {
        return false;
    }
    *out = StageRect{static_cast<int32_t>(rect.left), static_cast<int32_t>(rect.top),
                     static_cast<int32_t>(rect.right), static_cast<int32_t>(rect.bottom)};
    return true;
}
