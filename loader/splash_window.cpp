#include "splash_window.h"

#include "display_modes.h"
#include "process_values.h"

void RegisterLoaderClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = LoaderWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    // A failed registration shows as a failed window creation.
    RegisterClassExA(&windowClass);
}

bool DrawBitmap(HDC target, HBITMAP bitmap, int x, int y, DWORD rasterOperation) {
    if (rasterOperation == 0) rasterOperation = SRCCOPY;

    BITMAP info;
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(info), &info) != sizeof(info)) {
        return false;
    }

    HDC memory = CreateCompatibleDC(nullptr);
    SetMapMode(memory, GetMapMode(target));
    SelectObject(memory, bitmap);

    POINT size = {info.bmWidth, info.bmHeight};
    DPtoLP(target, &size, 1);
    POINT origin = {0, 0};
    DPtoLP(memory, &origin, 1);

    BitBlt(target, x, y, size.x, size.y, memory, origin.x, origin.y, rasterOperation);

    // Deleting the memory context releases the bitmap, which stays valid for later paints.
    DeleteDC(memory);
    return true;
}

namespace {

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (presentationDone || !DrawBitmap(dc, splashBitmap, 0, 0, SRCCOPY)) {
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EndPaint(window, &paint);
    // Lasts until the default mouse handling puts the class cursor back.
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

}  // namespace

void DestroyMainWindow() {
    if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
}

LRESULT CALLBACK LoaderWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            // While the presentation program runs, a close comes only from another program that
            // sends it. Closing now would restore the display under the presentation; the
            // launch closes the window once that program has ended.
            if (presentationRunning) return 0;
            break;
        case WM_DESTROY:
            // Likewise a WM_DESTROY that another program sends: the window is not going.
            if (presentationRunning) return 0;
            RestoreDisplayMode();
            PostQuitMessage(0);
            return 0;
        case WM_ENDSESSION:
            // The session ends (logoff, shutdown, a restart-manager close), and the loader with
            // it, without a WM_DESTROY; this is reached during the waits for the presentation
            // program too. A cancelled end leaves everything as it is.
            if (wParam) RestoreDisplayMode();
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_ACTIVATEAPP:
            appActive = static_cast<int32_t>(wParam);
            break;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                // The display comes back on the key, before the close has gone through the
                // queue. WM_DESTROY restores it again, as it does for every end of the loader;
                // that second restore finds the stored mode in force and changes nothing.
                RestoreDisplayMode();
                PostMessageA(window, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
