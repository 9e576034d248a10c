#include "xtra/boundary/stage_window.h"

bool readWindowRect(void* window, StageRect* out) {
    const auto* standIn = static_cast<const StandInWindow*>(window);
    if (standIn == nullptr || !standIn->succeeds) {
        return false;
    }
    *out = standIn->rect;
    return true;
}
