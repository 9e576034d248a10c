#include <windows.h>

#include "display_modes.h"
#include "main_loop.h"
#include "presentation_launch.h"
#include "process_values.h"
#include "resources/resource_ids.h"
#include "splash_window.h"

namespace {

constexpr char kResolutionAdvice[] =
    "Please use your Monitors Control Panel to\nset the resolution to 800x600 pixels, High Colors";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    splashBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(LOADER_SPLASH_BITMAP));
    PrepareStartupRecord();
    EnumerateDisplayModes();
    RegisterLoaderClass(instance);

    mainWindow = CreateWindowExA(WS_EX_TOPMOST, "demo", "Loader", WS_POPUP, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                 nullptr, nullptr, instance, nullptr);
    if (mainWindow == nullptr) return 0;

    const int32_t mode = FindDisplayMode(800, 600, 16);
    if (mode < 0) {
        // The display was not changed, so there is nothing to restore.
        MessageBoxA(mainWindow, kResolutionAdvice, "", MB_OK);
        return -1;
    }

    if (!EnterDisplayMode(mode)) return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return RunMainLoop();
}
