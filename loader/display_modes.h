#pragma once

#include <windows.h>

#include <cstdint>

#include "mode_table.h"

// The one display mode the presentation is made for.
inline constexpr int32_t kPresentationWidth = 800;      // pixels
inline constexpr int32_t kPresentationHeight = 600;     // pixels
inline constexpr int32_t kPresentationBitsPerPel = 16;  // colour depth

// The two display-settings calls, reached through this record so that tests can stand in for the
// display. The program uses systemDisplaySettings.
struct DisplaySettingsCalls {
    BOOL(WINAPI* enumerate)(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode);
    LONG(WINAPI* change)(DEVMODEA* mode, DWORD flags);
};

extern const DisplaySettingsCalls systemDisplaySettings;

// Lists every mode of the display the calling thread runs on, tests each one for a full-screen
// switch at exactly its size, depth and rate, and stores the accepted ones in the table.
void EnumerateDisplayModes(const DisplaySettingsCalls& calls, ModeTable& table);
void EnumerateDisplayModes();

int32_t FindDisplayMode(int32_t width, int32_t height, int32_t bits);

// Fills switchRecord from the mode and asks for a temporary full-screen change to it. The switch
// carries no refresh rate; the platform chooses it. A refused switch is not reported: the loader
// goes on at the current mode.
void RequestDisplayMode(const DisplaySettingsCalls& calls, const DisplayMode& mode);

// Returns the display to the mode stored in the registry. Harmless when no switch happened.
void RestoreDisplayMode(const DisplaySettingsCalls& calls);
void RestoreDisplayMode();

// Switches to modeTable entry `index` and makes mainWindow a visible, topmost, foreground window
// covering the new screen.
void SwitchDisplayMode(int32_t index);

// SwitchDisplayMode, then brings mainWindow to the front and lets it handle what the switch
// queued. Returns false when that included a quit message (Escape pressed during the switch, or a
// quit posted by another program): the window is gone, the display restored and quitCode holds
// the quit's code, with which the loader ends as its main loop would, without starting the
// presentation program.
bool EnterDisplayMode(int32_t index, int& quitCode);
