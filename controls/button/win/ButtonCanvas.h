#pragma once
// The button's paint steps in GDI, on the control's persistent drawing surface: one-pixel solid pens and solid
// brushes made and deleted per call, icons colour-keyed through a hidden surface, the themed push button.

#include <windows.h>

#include "controls/button/ButtonPaint.h"
#include "controls/host/win/DrawingSurface.h"
#include "winmsg/win/Handles.h"

// An icon handed to the button; the picture owns the icon handle.
struct IconPicture : button::PictureRef {
    explicit IconPicture(HICON icon) noexcept : owned_(icon) { handle = reinterpret_cast<std::uintptr_t>(icon); }
    IconPicture(const IconPicture&) = delete;
    IconPicture& operator=(const IconPicture&) = delete;
    [[nodiscard]] HICON Icon() const noexcept { return owned_.Get(); }
    [[nodiscard]] std::wstring PersistedText() const override;

private:
    UniqueIcon owned_;
};

// Draws an icon in grey at (x, y) scaled to width x height; pure greys at the kept levels stay as they are.
// Returns true when the icon was drawn.
bool PaintIconGrayscale(HDC target, HICON icon, int x, int y, int height, int width) noexcept;

class ButtonCanvas : public button::Canvas {
public:
    // `mask` is the hidden surface for colour-keyed icons; it grows to the button's size when used.
    ButtonCanvas(HWND hwnd, DrawingSurface& surface, DrawingSurface& mask, const button::ButtonProperties& props,
                 const std::wstring& caption) noexcept
        : hwnd_(hwnd), surface_(surface), mask_(mask), props_(props), caption_(caption) {}

    void SetBackground(ColorRef c) override;
    void Line(int x1, int y1, int x2, int y2, ColorRef c) override;
    void Fill(int x, int y, int w, int h, ColorRef c) override;
    void Pixel(int x, int y, ColorRef c) override;
    void Edge(int kind, const Rect& rect) override;
    bool DrawThemed(int state) override;
    void DrawIcon(int x, int y, int size, bool enabled) override;
    void DrawIconShadow(int x, int y, int size) override;
    void DrawCaption(const Rect& rect, std::uint32_t format, ColorRef color) override;

private:
    HICON Icon() const noexcept;
    // Paints the icon on the hidden surface over a square of the mask colour; false without a surface.
    bool PaintOnMask(int x, int y, int size) noexcept;

    HWND hwnd_;
    DrawingSurface& surface_;
    DrawingSurface& mask_;
    const button::ButtonProperties& props_;
    const std::wstring& caption_;
};
