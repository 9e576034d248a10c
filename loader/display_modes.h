#pragma once

#include <windows.h>

#include <cstdint>

#include "mode_table.h"

// The one display mode the presentation is made for.
inline constexpr int32_t kPresentationWidth = 800;      // pixels
inline constexpr int32_t kPresentationHeight = 600;     // pixels
inline constexpr int32_t kPresentationBitsPerPel = 16;  // colour depth

// The two display-settings calls. The loader makes them through these pointers, which point at
// the platform's calls, so that tests can stand in for the display.
extern BOOL(WINAPI* enumDisplaySettings)(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode);
extern LONG(WINAPI* changeDisplaySettings)(DEVMODEA* mode, DWORD flags);

// The accepted modes: filled once at start by EnumerateDisplayModes, unchanged afterwards.
extern ModeTable modeTable;

// Lists every mode of the display the calling thread runs on, tests each one for a full-screen
// switch at exactly its size, depth and rate, and stores the accepted ones in modeTable.
void EnumerateDisplayModes();

// The modeTable entry of exactly this size and depth with the lowest refresh rate, or -1.
int32_t FindDisplayMode(int32_t width, int32_t height, int32_t bits);

// Fills the switch record from the mode and asks for a temporary full-screen change to it. The
// switch carries no refresh rate; the platform chooses it. A refused switch is not reported: the
// loader goes on at the current mode.
void RequestDisplayMode(const DisplayMode& mode);

// Returns the display to the mode stored in the registry. Harmless when no switch happened.
void RestoreDisplayMode();

// Switches to modeTable entry `index` and makes mainWindow a visible, topmost, foreground window
// covering the new screen.
void SwitchDisplayMode(int32_t index);

// SwitchDisplayMode, then brings mainWindow to the front and lets it handle what the switch
// queued. Returns false when that included a quit message (Escape pressed during the switch, or a
// quit posted by another program), with quitCode holding the quit's code: the loader then ends
// as its main loop would, without starting the presentation program. The window is gone after
// an Escape; after a quit from elsewhere it is still up, the display switched, and the caller
// closes it.
bool EnterDisplayMode(int32_t index, int& quitCode);
