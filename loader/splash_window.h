#pragma once

#include <windows.h>

// The class and title of the loader's window, which tell it from every other window.
inline constexpr char kWindowClassName[] = "demo";
inline constexpr char kWindowTitle[] = "Loader";

void RegisterLoaderClass(HINSTANCE instance);

// Destroys mainWindow if it still exists, and with it, through WM_DESTROY, the display switch.
// Whatever ends the loader after the switch ends it through here; when the window is gone
// already, its WM_DESTROY has restored the display and nothing is left to do.
void DestroyMainWindow();

LRESULT CALLBACK LoaderWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the whole bitmap with its top left corner at (x, y); a raster operation of 0 means
// SRCCOPY. Returns false, painting nothing, when the bitmap's size cannot be read.
bool DrawBitmap(HDC target, HBITMAP bitmap, int x, int y, DWORD rasterOperation);
