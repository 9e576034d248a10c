#pragma once

#include <windows.h>

// How the loop takes a message. The loader calls it through this pointer, which points at the
// platform's GetMessageA, so that a test can stand in for a queue that cannot be read.
extern BOOL(WINAPI* getMessage)(LPMSG message, HWND window, UINT first, UINT last);

// Returns the quit message's code, with the window destroyed and the display restored whoever
// posted the quit. The presentation program starts the first time the queue is empty while the
// loader is the active application, and never again; a WM_CLOSE posted by the launch then ends
// the loader. A queue that cannot be read ends the loader the way a close does: the window
// is destroyed, which restores the display, and the result is 0.
int RunMainLoop();
