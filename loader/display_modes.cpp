#include "display_modes.h"

#include <cstddef>

#include "process_values.h"

namespace {

// The full-screen window style: no frame, so AdjustWindowRectEx leaves the rectangle as it is.
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU;

// The 148-byte form of the record, without the panning fields: dmSize tells the platform how
// much of the record it may read.
constexpr WORD kDevModeSize = offsetof(DEVMODEA, dmPanningWidth);
static_assert(kDevModeSize == 148, "DEVMODEA layout");

// The record handed to the platform for the switch: 800x600x16 and no refresh rate.
DEVMODEA switchRecord;

// The window's rectangle at the switched mode, in pixels; set by the switch.
RECT windowRect;

DEVMODEA EmptyDevMode() {
    DEVMODEA mode{};
    mode.dmSize = kDevModeSize;
    mode.dmDriverExtra = 0;
    return mode;
}

}  // namespace

BOOL(WINAPI* enumDisplaySettings)(LPCSTR, DWORD, DEVMODEA*) = EnumDisplaySettingsA;
LONG(WINAPI* changeDisplaySettings)(DEVMODEA*, DWORD) = ChangeDisplaySettingsA;
ModeTable modeTable;

void EnumerateDisplayModes() {
    for (DWORD modeNumber = 0;; ++modeNumber) {
        DEVMODEA listed = EmptyDevMode();
        if (!enumDisplaySettings(nullptr, modeNumber, &listed)) break;

        // The test must concern exactly the listed size, depth and refresh rate.
        listed.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        if (changeDisplaySettings(&listed, CDS_TEST | CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            continue;
        }

        StoreDisplayMode(modeTable, {static_cast<int32_t>(listed.dmPelsWidth),
                                     static_cast<int32_t>(listed.dmPelsHeight),
                                     static_cast<int32_t>(listed.dmBitsPerPel),
                                     static_cast<int32_t>(listed.dmDisplayFrequency)});
    }
}

int32_t FindDisplayMode(int32_t width, int32_t height, int32_t bits) {
    return FindDisplayMode(modeTable, width, height, bits);
}

void RequestDisplayMode(const DisplayMode& mode) {
    switchRecord = EmptyDevMode();
    switchRecord.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    switchRecord.dmBitsPerPel = static_cast<DWORD>(mode.bitsPerPel);
    switchRecord.dmPelsWidth = static_cast<DWORD>(mode.pelsWidth);
    switchRecord.dmPelsHeight = static_cast<DWORD>(mode.pelsHeight);
    // CDS_FULLSCREEN: temporary, never stored in the registry.
    changeDisplaySettings(&switchRecord, CDS_FULLSCREEN);
}

void RestoreDisplayMode() {
    changeDisplaySettings(nullptr, CDS_FULLSCREEN);
}

void SwitchDisplayMode(int32_t index) {
    const DisplayMode& mode = modeTable.entries[index];
    RequestDisplayMode(mode);

    windowRect = {0, 0, mode.pelsWidth, mode.pelsHeight};
    AdjustWindowRectEx(&windowRect, kFullScreenStyle, FALSE, 0);

    SetWindowLongA(mainWindow, GWL_STYLE, static_cast<LONG>(kFullScreenStyle | WS_VISIBLE));
    SetWindowLongA(mainWindow, GWL_EXSTYLE, 0);
    SetWindowPos(mainWindow, nullptr, 0, 0, windowRect.right - windowRect.left,
                 windowRect.bottom - windowRect.top, SWP_NOZORDER | SWP_NOCOPYBITS);
    SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    ShowWindow(mainWindow, SW_SHOWDEFAULT);
    UpdateWindow(mainWindow);

    // Black until the next paint, so no stale desktop shows through the resized window.
    HDC dc = GetDC(mainWindow);
    PatBlt(dc, 0, 0, windowRect.right, windowRect.bottom, BLACKNESS);
    ReleaseDC(mainWindow, dc);
}

bool EnterDisplayMode(int32_t index, int& quitCode) {
    SwitchDisplayMode(index);
    SetForegroundWindow(mainWindow);

    // Paint, activation and key messages queued by the switch reach the window here, an Escape
    // among them.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    Sleep(100);
    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOCOPYBITS);
    SetForegroundWindow(mainWindow);
    return true;
}
