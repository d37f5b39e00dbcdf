#include "ButtonCanvas.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "IconText.h"


namespace {

// Each pixel of the size x size square at (x, y) on `source` that is not `skip` goes to `target` in the colour
// `paint` makes of it. Source and target may be one DC: every pixel is read before it is written.
template <typename Paint>
void PaintOver(HDC source, HDC target, int x, int y, int size, COLORREF skip, Paint paint) noexcept {
    for (int px = x; px < x + size; ++px) {
        for (int py = y; py < y + size; ++py) {
            const COLORREF c = GetPixel(source, px, py);
            if (c != CLR_INVALID && c != skip) SetPixelV(target, px, py, paint(c));
        }
    }
}

}  // namespace

std::wstring IconPicture::PersistedText() const {
    return IconToText(Icon());
}

bool PaintIconGrayscale(HDC target, HICON icon, int x, int y, int height, int width) noexcept {
    if (!target || !icon) return false;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    UniqueBitmap mask(info.hbmMask);
    UniqueBitmap color(info.hbmColor);
    if (!mask || !color) return false;  // a monochrome icon has no colour bitmap to turn grey
    BITMAP bm{};
    if (!GetObjectW(color.Get(), sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;

    // Through the bits as 32-bit pixels, not pixel by pixel: setting a pixel writes no alpha, and an icon with an
    // alpha channel would lose every pixel the greying changed.
    BITMAPINFO bits{};
    bits.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const size_t count = static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight);
    const std::unique_ptr<std::uint32_t[]> pixels(new (std::nothrow) std::uint32_t[count]);
    const UINT rows = static_cast<UINT>(bm.bmHeight);
    if (!pixels || GetDIBits(target, color.Get(), 0, rows, pixels.get(), &bits, DIB_RGB_COLORS) != bm.bmHeight)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];  // 0xAARRGGBB
        const ColorRef gray =
            button::GrayscalePixel(Rgb(static_cast<int>(p >> 16), static_cast<int>(p >> 8), static_cast<int>(p)));
        pixels[i] = (p & 0xFF000000u) | (static_cast<std::uint32_t>(Red(gray)) << 16) |
                    (static_cast<std::uint32_t>(Green(gray)) << 8) | static_cast<std::uint32_t>(Blue(gray));
    }
    if (SetDIBits(target, color.Get(), 0, rows, pixels.get(), &bits, DIB_RGB_COLORS) != bm.bmHeight) return false;
    ICONINFO grayInfo{TRUE, 0, 0, mask.Get(), color.Get()};
    UniqueIcon gray(CreateIconIndirect(&grayInfo));
    return gray && DrawIconEx(target, x, y, gray.Get(), width, height, 0, nullptr, DI_NORMAL);
}

void ButtonCanvas::SetBackground(ColorRef c) {
    surface_.SetBackColor(c);
    surface_.Cls();
}

void ButtonCanvas::Line(int x1, int y1, int x2, int y2, ColorRef c) {
    HDC dc = surface_.Dc();
    UniquePen pen(CreatePen(PS_SOLID, 1, c.value));
    SelectGuard select(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);  // GDI leaves out the end pixel, as the renderers expect
}

void ButtonCanvas::Fill(int x, int y, int w, int h, ColorRef c) {
    UniqueBrush brush(CreateSolidBrush(c.value));
    const RECT r{x, y, x + w, y + h};
    FillRect(surface_.Dc(), &r, brush.Get());
}

void ButtonCanvas::Pixel(int x, int y, ColorRef c) {
    SetPixelV(surface_.Dc(), x, y, c.value);
}

void ButtonCanvas::Edge(int kind, const Rect& rect) {
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawEdge(surface_.Dc(), &r, static_cast<UINT>(kind), BF_RECT);
}

bool ButtonCanvas::DrawThemed(int state) {
    UniqueTheme theme(OpenThemeData(hwnd_, L"Button"));
    if (!theme) return false;
    const RECT r{0, 0, surface_.ScaleWidth(), surface_.ScaleHeight()};
    return SUCCEEDED(DrawThemeBackground(theme.Get(), surface_.Dc(), BP_PUSHBUTTON, state, &r, &r));
}

HICON ButtonCanvas::Icon() const noexcept {
    return props_.Icon ? reinterpret_cast<HICON>(props_.Icon->handle) : nullptr;
}

bool ButtonCanvas::PaintOnMask(int x, int y, int size) noexcept {
    const int w = std::max(surface_.ScaleWidth(), x + size);
    const int h = std::max(surface_.ScaleHeight(), y + size);
    if (mask_.ScaleWidth() < w || mask_.ScaleHeight() < h) {
        if (!mask_.Resize(std::max(w, mask_.ScaleWidth()), std::max(h, mask_.ScaleHeight()))) return false;
    }
    // An icon that sticks out past the top or left is still painted; the copy skips what lies outside.
    if (!mask_.Dc()) return false;
    // Where the icon is transparent the square keeps the mask colour and is skipped when copying.
    UniqueBrush key(CreateSolidBrush(TranslateColor(props_.MaskColor).value));
    const RECT square{x, y, x + size, y + size};
    FillRect(mask_.Dc(), &square, key.Get());
    return DrawIconEx(mask_.Dc(), x, y, Icon(), size, size, 0, nullptr, DI_NORMAL) != FALSE;
}

void ButtonCanvas::DrawIcon(int x, int y, int size, bool enabled) {
    HDC dc = surface_.Dc();
    if (!props_.UseMaskColor) {
        if (enabled)
            DrawIconEx(dc, x, y, Icon(), size, size, 0, nullptr, DI_NORMAL);
        else
            PaintIconGrayscale(dc, Icon(), x, y, size, size);
        return;
    }
    // Drawing failures here are ignored: the caption still follows.
    if (!PaintOnMask(x, y, size)) return;
    PaintOver(mask_.Dc(), dc, x, y, size, TranslateColor(props_.MaskColor).value,
              [enabled](COLORREF c) { return enabled ? c : button::Gray(ColorRef{c}).value; });
}

void ButtonCanvas::DrawIconShadow(int x, int y, int size) {
    HDC dc = surface_.Dc();
    constexpr COLORREF kShadow = 8421504;  // grey 128
    const auto shadow = [](COLORREF) { return kShadow; };
    if (props_.UseMaskColor) {
        if (PaintOnMask(x, y, size))
            PaintOver(mask_.Dc(), dc, x, y, size, TranslateColor(props_.MaskColor).value, shadow);
        return;
    }
    // Without a mask colour the icon is drawn in place and whatever differs from the background turns grey.
    DrawIconEx(dc, x, y, Icon(), size, size, 0, nullptr, DI_NORMAL);
    PaintOver(dc, dc, x, y, size, GetPixel(dc, 1, 1), shadow);
}

void ButtonCanvas::DrawCaption(const Rect& rect, std::uint32_t format, ColorRef color) {
    HDC dc = surface_.Dc();
    const ColorRef saved = surface_.ForeColor();
    surface_.SetForeColor(color);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, format);
    SetBkMode(dc, oldMode);
    surface_.SetForeColor(saved);
}
