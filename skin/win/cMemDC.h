#pragma once
// A grow-only off-screen surface: a memory DC with a bitmap of the screen's colour format selected into it. The
// caption painter composes its strips on these and keeps the skin pictures in them; the class only owns GDI
// objects and never paints by itself.

#include <windows.h>

#include "winmsg/win/Handles.h"
#include "winmsg/win/Picture.h"

class cMemDC {
public:
    cMemDC() noexcept = default;
    cMemDC(const cMemDC&) = delete;
    cMemDC& operator=(const cMemDC&) = delete;
    ~cMemDC() { DestroySurface(); }

    // Copies the picture's bitmap to the top left of the surface, first growing the surface to the picture's
    // size (never shrinking it). The surface keeps its own copy of the pixels. False when the picture is not a
    // bitmap, the surface cannot be made, or the bitmap cannot be read (it is selected into another DC).
    [[nodiscard]] bool CreateFromPicture(const Picture& sPic) noexcept;

    // The memory DC to draw into or copy from; null while no surface exists. Reading it creates nothing.
    [[nodiscard]] HDC hdc() const noexcept { return dc_.Get(); }

    [[nodiscard]] int Width() const noexcept { return width_; }
    [[nodiscard]] int Height() const noexcept { return height_; }
    // Grows the surface to at least this width and height, in one new surface that discards the content; a
    // smaller request changes nothing.
    void Grow(int w, int h) noexcept;

private:
    void CreateSurface(int w, int h) noexcept;
    void DestroySurface() noexcept;

    UniqueMemDC dc_;
    HGDIOBJ previous_ = nullptr;  // what the DC held before our bitmap; put back before either goes
    UniqueBitmap bitmap_;
    int width_ = 0;
    int height_ = 0;
};
