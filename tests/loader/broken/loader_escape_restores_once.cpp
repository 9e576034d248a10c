// A deliberately broken loader for `make loader-proofs`: on Escape it only closes its window, so
// the display comes back once, when the window goes, instead of on the key and then again. The
// loader's own window procedure, compiled with a restore that does nothing while a key is
// handled. Never shipped.
#include "display_modes.h"

namespace {

void RestoreUnlessForAKey(UINT message) {
    if (message != WM_KEYDOWN) RestoreDisplayMode();
}

}  // namespace

#define RestoreDisplayMode() RestoreUnlessForAKey(message)
#include "splash_window.cpp"
