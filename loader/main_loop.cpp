#include "main_loop.h"

#include "presentation_launch.h"
#include "process_values.h"
#include "splash_window.h"

BOOL(WINAPI* getMessage)(LPMSG, HWND, UINT, UINT) = GetMessageA;

int RunMainLoop() {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            const BOOL got = getMessage(&message, nullptr, 0, 0);
            if (got == 0) {
                // The loader's own quit comes from WM_DESTROY, with the window gone; a quit
                // posted by another program finds it still up and the display switched.
                DestroyMainWindow();
                return static_cast<int>(message.wParam);
            }
            if (got == -1) {
                // Sent, not posted: the queue that would deliver a posted close is what failed.
                SendMessageA(mainWindow, WM_CLOSE, 0, 0);
                return 0;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (appActive && !presentationDone) {
            // Once only: the launch sets presentationDone whether or not the program started, so
            // a lost close leaves the loader waiting on its black screen for Escape or a close
            // rather than starting the presentation program again.
            LaunchPresentation();
        } else {
            WaitMessage();
        }
    }
}
