// An off-screen picture the size of the stage, drawn with plain GDI and copied to the window
// in one BitBlt, so a frame never shows half drawn.
#pragma once

#include <windows.h>

#include <map>

#include "demo/basics.h"

namespace demo {

class BackBuffer {
  public:
    BackBuffer(HWND window, int width, int height);
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    void clear(Rgb colour);
    void line(double h1, double v1, double h2, double v2, Rgb colour);
    void square(double h, double v, int size, Rgb colour);  // centred on the pixel (h, v)
    void box(int left, int top, int width, int height, Rgb colour);
    void text(int h, int v, const char* text, Rgb colour);
    void present(HDC target) const;

  private:
    HPEN pen(Rgb colour);

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    int width_;
    int height_;
    std::map<COLORREF, HPEN> pens_;  // one pen per colour in use, kept for later frames
};

}  // namespace demo
