#include "DrawingSurface.h"

#include <algorithm>
#include <cmath>

#include "winmsg/win/PlatformFont.h"

FontDesc DescribeFont(HFONT font, int dpi) noexcept {
    FontDesc desc = DefaultControlFont();
    LOGFONTW lf{};
    if (!font || GetObjectW(font, sizeof lf, &lf) != sizeof lf) return desc;
    desc.Name = lf.lfFaceName;
    // Points to a quarter, as a property sheet would show them.
    const double points = std::abs(lf.lfHeight) * 72.0 / dpi;
    desc.Size = lf.lfHeight == 0 ? desc.Size : std::round(points * 4.0) / 4.0;
    desc.Weight = lf.lfWeight == 0 ? FW_NORMAL : static_cast<int>(lf.lfWeight);
    desc.Italic = lf.lfItalic != 0;
    desc.Underline = lf.lfUnderline != 0;
    desc.Strikethrough = lf.lfStrikeOut != 0;
    desc.Charset = lf.lfCharSet;
    return desc;
}

namespace {

void FillWith(HDC dc, int width, int height, ColorRef color) noexcept {
    UniqueBrush brush(CreateSolidBrush(color.value));
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, brush.Get());
}

}  // namespace

DrawingSurface::~DrawingSurface() {
    Release();
}

void DrawingSurface::Release() noexcept {
    // Put the DC's own objects back before the bitmap and font go.
    if (dc_) {
        if (oldBitmap_) SelectObject(dc_.Get(), oldBitmap_);
        if (oldFont_) SelectObject(dc_.Get(), oldFont_);
    }
    oldBitmap_ = oldFont_ = nullptr;
    dc_.Reset();
    bitmap_.Reset();
    hfont_.Reset();
}

bool DrawingSurface::Resize(int width, int height) noexcept {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (dc_ && width == width_ && height == height_) return true;

    const HDC screen = ScreenDC();
    UniqueMemDC dc(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    if (!dc || !bitmap) return false;
    HGDIOBJ oldBitmap = SelectObject(dc.Get(), bitmap.Get());
    FillWith(dc.Get(), width, height, backColor_);
    if (dc_) BitBlt(dc.Get(), 0, 0, std::min(width, width_), std::min(height, height_), dc_.Get(), 0, 0, SRCCOPY);

    const FontDesc font = font_;
    const bool hadFont = fontSet_;
    Release();
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    oldBitmap_ = oldBitmap;
    width_ = width;
    height_ = height;
    SetForeColor(foreColor_);
    fontSet_ = false;
    if (hadFont) SetFont(font);
    return true;
}

void DrawingSurface::SetForeColor(ColorRef color) noexcept {
    foreColor_ = color;
    if (dc_) SetTextColor(dc_.Get(), color.value);
}

void DrawingSurface::SetFont(const FontDesc& font) noexcept {
    if (fontSet_ && font == font_ && (hfont_ || !dc_)) return;
    font_ = font;
    fontSet_ = true;
    if (!dc_) return;
    UniqueFont created = CreatePlatformFont(font, dpi_, FontRules::Control);
    if (!created) return;
    HGDIOBJ previous = SelectObject(dc_.Get(), created.Get());
    if (!oldFont_) oldFont_ = previous;
    hfont_ = std::move(created);
}

void DrawingSurface::SetDpi(int dpi) noexcept {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    // The description stays in points: only the platform font changes.
    if (fontSet_) {
        fontSet_ = false;
        SetFont(font_);
    }
}

void DrawingSurface::Cls() noexcept {
    if (dc_) FillWith(dc_.Get(), width_, height_, backColor_);
}

void DrawingSurface::CopyTo(HDC target, int x, int y) const noexcept {
    if (dc_) BitBlt(target, x, y, width_, height_, dc_.Get(), 0, 0, SRCCOPY);
}
