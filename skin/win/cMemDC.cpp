#include "cMemDC.h"

#include <algorithm>

#include "winmsg/win/ScreenDC.h"

void cMemDC::CreateSurface(int w, int h) noexcept {
    DestroySurface();
    // A bitmap made compatible with the display's DC has the screen's colour depth, which a bitmap made on a
    // fresh memory DC (one monochrome pixel) would not.
    const HDC display = ScreenDC();
    dc_.Reset(CreateCompatibleDC(display));
    if (dc_) bitmap_.Reset(CreateCompatibleBitmap(display, w, h));
    previous_ = bitmap_ ? SelectObject(dc_.Get(), bitmap_.Get()) : nullptr;
    if (previous_) {
        width_ = w;
        height_ = h;
    } else {
        DestroySurface();
    }
}

void cMemDC::DestroySurface() noexcept {
    if (previous_) {
        SelectObject(dc_.Get(), previous_);
        previous_ = nullptr;
    }
    bitmap_.Reset();
    width_ = 0;
    height_ = 0;
    dc_.Reset();
}

void cMemDC::Grow(int w, int h) noexcept {
    if (width_ < w || height_ < h) CreateSurface(std::max(width_, w), std::max(height_, h));
}

bool cMemDC::CreateFromPicture(const Picture& sPic) noexcept {
    BITMAP header{};
    if (!sPic.Bitmap() || GetObjectW(sPic.Bitmap(), sizeof(header), &header) != sizeof(header)) return false;
    Grow(header.bmWidth, header.bmHeight);
    if (width_ < header.bmWidth || height_ < header.bmHeight) return false;

    const UniqueMemDC source(CreateCompatibleDC(ScreenDC()));
    if (!source) return false;
    const SelectGuard picture(source.Get(), sPic.Bitmap());
    if (!picture.Selected()) return false;
    return BitBlt(dc_.Get(), 0, 0, header.bmWidth, header.bmHeight, source.Get(), 0, 0, SRCCOPY) != FALSE;
}
