#pragma once
// The plain frame in the system's colours: borders, a caption with the window's icon and title, and the three
// caption buttons. The engine paints it for a window without a painter, or whose painter failed.

#include <windows.h>

#include <memory>

#include "cMemDC.h"

class PlainFramePainter {
public:
    // Takes the system's frame sizes at the window's DPI and makes the surface the caption is composed on (the
    // screen's width, four captions tall).
    void Prepare(int dpi);
    // Lets go of the surface; paints then leave the caption out.
    void Release() noexcept { captionSurface_.reset(); }

    // Paints the frame of `window` into (lLeft, lTop)-(lRight, lBottom) of its window DC, in the active or
    // inactive colours.
    void Paint(HWND window, HDC hdc, int lLeft, int lTop, int lRight, int lBottom, bool active) const noexcept;

private:
    std::unique_ptr<cMemDC> captionSurface_;
    // SM_CXFRAME, SM_CYFRAME and SM_CYCAPTION at the window's DPI.
    int frameWidth_ = GetSystemMetrics(SM_CXFRAME);
    int frameHeight_ = GetSystemMetrics(SM_CYFRAME);
    int captionHeight_ = GetSystemMetrics(SM_CYCAPTION);
};
