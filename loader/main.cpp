#include <windows.h>

#include "display_modes.h"
#include "presentation_launch.h"
#include "process_values.h"
#include "resources/resource_ids.h"
#include "splash_window.h"

namespace {

constexpr char kResolutionAdvice[] =
    "Please use your Monitors Control Panel to\nset the resolution to 800x600 pixels, High Colors";

// Returns the quit message's code. The presentation program starts the first time the queue is
// empty while the loader is the active application; a WM_CLOSE posted by the launch is then
// waiting, so it starts only once.
int RunMainLoop() {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0) return static_cast<int>(message.wParam);
            if (got == -1) return 0;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (appActive) {
            LaunchPresentation();
        } else {
            WaitMessage();
        }
    }
}

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
