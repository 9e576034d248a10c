// A deliberately broken loader for `make loader-proofs`: when the presentation program cannot be
// started, it closes with its window hidden instead of showing the black end screen first. The
// loader's own launch, compiled so that the window is not shown again after a failed start.
// Never shipped.
#include <windows.h>

namespace {

BOOL ShowUnlessTheStartFailed(HWND window, int command, bool started) {
    if (command == SW_SHOWMAXIMIZED && !started) return FALSE;
    return ShowWindow(window, command);
}

}  // namespace

#define ShowWindow(window, command) ShowUnlessTheStartFailed(window, command, started)
#include "presentation_launch.cpp"
