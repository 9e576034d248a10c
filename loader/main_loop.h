#pragma once

#include <windows.h>

// How the loop takes a message; GetMessageA in the program, a stand-in in tests.
using GetMessageCall = BOOL(WINAPI*)(LPMSG message, HWND window, UINT first, UINT last);

// Returns the quit message's code, with the window destroyed and the display restored whoever
// posted the quit. The presentation program starts the first time the queue is empty while the
// loader is the active application, and never again; a WM_CLOSE posted by the launch then ends
// the loader. A queue that cannot be read ends the loader the way a close does: the window
// is destroyed, which restores the display, and the result is 0.
int RunMainLoop(GetMessageCall getMessage);
int RunMainLoop();
