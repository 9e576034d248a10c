#pragma once

#include <windows.h>

#include <cstdint>

// The values of the loader's process that more than one of its files use; a value that one file
// uses lives in that file. All of them belong to the loader's one thread.

// The loader's one window; created in WinMain, resized and shown by the display switch.
extern HWND mainWindow;

// The splash picture, bitmap resource 102, kept for the life of the process. Null when the
// resource could not be loaded; the window then paints black.
extern HBITMAP splashBitmap;

// The wParam of the last WM_ACTIVATEAPP: nonzero while the loader is the active application.
extern int32_t appActive;

// Set to 1 once the presentation program has ended; from then on the window paints black.
extern int32_t presentationDone;

// Nonzero while the launch waits for the presentation program it started. A close that another
// program sends to the window meanwhile is left to the close that follows the waits: closing
// then would restore the display under the running presentation.
extern int32_t presentationRunning;
