// A deliberately broken loader for `make loader-proofs`: while it waits for the presentation
// program, a sent message makes it handle the posted ones too, so a queued Escape restores the
// display under the presentation. The loader's own launch, compiled with a look at the queue
// that dispatches whatever waits. Never shipped.
#include <windows.h>

namespace {

BOOL WINAPI DispatchEverything(LPMSG message, HWND window, UINT first, UINT last, UINT) {
    while (PeekMessageA(message, window, first, last, PM_REMOVE)) {
        TranslateMessage(message);
        DispatchMessageA(message);
    }
    return FALSE;
}

}  // namespace

#define PeekMessageA DispatchEverything
#include "presentation_launch.cpp"
