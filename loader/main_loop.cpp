#include "main_loop.h"

#include <windows.h>

#include "presentation_launch.h"
#include "process_values.h"

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
