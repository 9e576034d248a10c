// A deliberately broken loader for `make loader-proofs`: while it waits for the presentation
// program, each sent message also makes it handle every posted one, an Escape among them, which
// restores the display under the running presentation. The loader's own launch, compiled with a
// look at the queue that takes and dispatches whatever waits. Never shipped.
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
