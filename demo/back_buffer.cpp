#include "demo/back_buffer.h"

#include <cmath>
#include <cstring>

namespace demo {

namespace {

COLORREF colourRef(Rgb colour) {
    return RGB(colour.r, colour.g, colour.b);
}

// GDI draws with 32-bit integer coordinates; far-off points are held back to a range where
// its arithmetic is safe, which keeps the line's direction on screen.
int pixel(double value) {
    if (!(value > -32000.0)) {
        return -32000;
    }
    if (value > 32000.0) {
        return 32000;
    }
    return static_cast<int>(std::floor(value));
}

}  // namespace

BackBuffer::BackBuffer(HWND window, int width, int height) : width_(width), height_(height) {
    HDC screen = GetDC(window);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(window, screen);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    oldPen_ = SelectObject(dc_, GetStockObject(BLACK_PEN));
    oldFont_ = SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc_, TRANSPARENT);
}

BackBuffer::~BackBuffer() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBitmap_);
    for (auto& entry : pens_) {
        DeleteObject(entry.second);
    }
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

HPEN BackBuffer::pen(Rgb colour) {
    const COLORREF key = colourRef(colour);
    auto found = pens_.find(key);
    if (found != pens_.end()) {
        return found->second;
    }
    HPEN made = CreatePen(PS_SOLID, 1, key);
    pens_.emplace(key, made);
    return made;
}

void BackBuffer::clear(Rgb colour) {
    HBRUSH brush = CreateSolidBrush(colourRef(colour));
    RECT all = {0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

void BackBuffer::line(double h1, double v1, double h2, double v2, Rgb colour) {
    SelectObject(dc_, pen(colour));
    MoveToEx(dc_, pixel(h1), pixel(v1), nullptr);
    LineTo(dc_, pixel(h2), pixel(v2));
}

void BackBuffer::square(double h, double v, int size, Rgb colour) {
    box(pixel(h) - size / 2, pixel(v) - size / 2, size, size, colour);
}

void BackBuffer::box(int left, int top, int width, int height, Rgb colour) {
    RECT area = {left, top, left + width, top + height};
    HBRUSH brush = CreateSolidBrush(colourRef(colour));
    FillRect(dc_, &area, brush);
    DeleteObject(brush);
}

void BackBuffer::text(int h, int v, const char* text, Rgb colour) {
    SetTextColor(dc_, colourRef(colour));
    TextOutA(dc_, h, v, text, static_cast<int>(std::strlen(text)));
}

void BackBuffer::present(HDC target) const {
    BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

}  // namespace demo
