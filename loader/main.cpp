// loader.exe, the program the user starts. From start to end it:
//  1. keeps Windows from ghosting its window, which takes no posted message while it waits;
//  2. ends with exit code 0 when another loader is running, touching nothing;
//  3. loads the splash picture and prepares the start-up record of the presentation program;
//  4. lists the display modes that the display accepts for a full-screen switch;
//  5. creates its one window, not yet shown (exit code 0 when that fails);
//  6. looks for 800x600 at 16 bits; without it, asks the user to set that resolution and ends
//     with exit code -1, the display untouched;
//  7. switches the display to that mode and shows the splash full screen, topmost, in front,
//     also when it was started asked to be hidden;
//  8. runs the main loop: the first time the queue is empty while the loader is the active
//     application, starts .\data\projector.exe, keeps the splash up until that program is ready
//     for input, and hides while it runs, answering meanwhile only what is sent to its window;
//  9. paints black, closes the window, which restores the display, and ends with exit code 0.
// Escape while the splash is up skips to the end: display restored, exit code 0, nothing started.
// A quit that another program posts to the loader's thread ends it as well, after the switch
// with the window closed and the display restored; the quit's code becomes the exit code.

#include <windows.h>

#include "display_modes.h"
#include "main_loop.h"
#include "presentation_launch.h"
#include "process_values.h"
#include "resources/resource_ids.h"
#include "running_mark.h"
#include "splash_window.h"

namespace {

// This loader's handle of the mark of a running loader, kept until the process ends; null when
// the mark could not be opened.
HANDLE runningMark;

constexpr char kResolutionAdvice[] =
    "Please use your Monitors Control Panel to\nset the resolution to 800x600 pixels, High Colors";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // The splash takes no posted message while the presentation program starts, only sent ones,
    // and Windows would put a "Not Responding" ghost in its place after about 5 s of that.
    DisableProcessWindowsGhosting();
    if (!ClaimRunningMark(kRunningLoaderMark, kStartUpWaitMs, runningMark)) return 0;

    splashBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(LOADER_SPLASH_BITMAP));
    PrepareStartupRecord();
    EnumerateDisplayModes();
    RegisterLoaderClass(instance);

    mainWindow = CreateWindowExA(WS_EX_TOPMOST, kWindowClassName, kWindowTitle, WS_POPUP, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                 nullptr, nullptr, instance, nullptr);
    if (mainWindow == nullptr) return 0;
    HandMarkToWindow(runningMark);

    const int32_t mode =
        FindDisplayMode(kPresentationWidth, kPresentationHeight, kPresentationBitsPerPel);
    if (mode < 0) {
        // The display was not changed, so there is nothing to restore.
        MessageBoxA(mainWindow, kResolutionAdvice, "", MB_OK);
        return -1;
    }

    int quitCode = 0;
    if (!EnterDisplayMode(mode, quitCode)) {
        // Whoever posted the quit, the display comes back with the window.
        DestroyMainWindow();
        return quitCode;
    }
    // A start asked to be hidden (a launcher, a script or a scheduled task can ask for SW_HIDE)
    // is shown as a normal start: a hidden splash never becomes the active application, so it
    // would never start the presentation program nor end, and the display would stay switched.
    // SW_SHOWNORMAL, as SW_SHOWDEFAULT would read SW_HIDE back from the start-up information.
    // Every other show command is kept as the starter asked.
    ShowWindow(mainWindow, showCommand == SW_HIDE ? SW_SHOWNORMAL : showCommand);
    UpdateWindow(mainWindow);
    return RunMainLoop();
}
