#pragma once

#include <windows.h>

#include <cstdint>

#include "mode_table.h"

// Every value the loader keeps for the life of its process, in one place. All of them belong to
// its one thread.

// This loader's handle of the mark of a running loader (running_mark.h), kept until the process
// ends; null when the mark could not be opened.
extern HANDLE runningMark;

// The loader's one window; created in WinMain, resized and shown by the display switch.
extern HWND mainWindow;

// The splash picture, bitmap resource 102, kept for the life of the process. Null when the
// resource could not be loaded; the window then paints black.
extern HBITMAP splashBitmap;

// The wParam of the last WM_ACTIVATEAPP: nonzero while the loader is the active application.
extern int32_t appActive;

// Set to 1 once the presentation program has ended; from then on the window paints black.
extern int32_t presentationDone;

// Filled once at start by EnumerateDisplayModes, unchanged afterwards.
extern ModeTable modeTable;

// The record handed to the platform for the switch: 800x600x16 and no refresh rate.
extern DEVMODEA switchRecord;

// The window's rectangle at the switched mode, in pixels; set by the switch.
extern RECT windowRect;

// The start-up record of the presentation program: all zero but its size, prepared once at start
// and handed over unchanged, so the program gets the default window placement and show state.
extern STARTUPINFOA startupRecord;

// Filled by the start of the presentation program: its process and its first thread.
extern PROCESS_INFORMATION processRecord;
