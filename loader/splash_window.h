#pragma once

#include <windows.h>

// The class and title of the loader's window, which tell it from every other window.
inline constexpr char kWindowClassName[] = "demo";
inline constexpr char kWindowTitle[] = "Loader";

void RegisterLoaderClass(HINSTANCE instance);

LRESULT CALLBACK LoaderWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the whole bitmap with its top left corner at (x, y); a raster operation of 0 means
// SRCCOPY. Returns false, painting nothing, when the bitmap's size cannot be read.
bool DrawBitmap(HDC target, HBITMAP bitmap, int x, int y, DWORD rasterOperation);
