#pragma once
// A control's persistent drawing surface: an off-screen bitmap measured in pixels (ScaleWidth, ScaleHeight) with
// a background and a foreground colour, a font and a mouse-pointer setting. What is drawn on it stays until it is
// cleared; the hosting window copies it to the screen in one BitBlt on WM_PAINT.

#include <windows.h>

#include "winmsg/win/ColorTranslate.h"
#include "winmsg/win/Dpi.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/ScreenDC.h"
#include "controls/host/HostTypes.h"

// Fonts as properties and as platform handles. The size is in points of a font made for `dpi`.
[[nodiscard]] FontDesc DescribeFont(HFONT font, int dpi) noexcept;

class DrawingSurface {
public:
    DrawingSurface() = default;
    DrawingSurface(const DrawingSurface&) = delete;
    DrawingSurface& operator=(const DrawingSurface&) = delete;
    ~DrawingSurface();

    // Sizes the bitmap; the old image is kept in the top-left corner and new parts are cleared.
    bool Resize(int width, int height) noexcept;
    [[nodiscard]] HDC Dc() const noexcept { return dc_.Get(); }
    [[nodiscard]] int ScaleWidth() const noexcept { return width_; }
    [[nodiscard]] int ScaleHeight() const noexcept { return height_; }

    void SetBackColor(ColorRef color) noexcept { backColor_ = color; }
    [[nodiscard]] ColorRef BackColor() const noexcept { return backColor_; }
    // Also the text colour of the DC.
    void SetForeColor(ColorRef color) noexcept;
    [[nodiscard]] ColorRef ForeColor() const noexcept { return foreColor_; }
    // Selected into the DC, made at the surface's DPI; a font equal to the current one is kept as it is.
    void SetFont(const FontDesc& font) noexcept;
    [[nodiscard]] const FontDesc& Font() const noexcept { return font_; }
    // The DPI the surface's font is made for (the session's until set); a new one makes the font again.
    void SetDpi(int dpi) noexcept;
    [[nodiscard]] int Dpi() const noexcept { return dpi_; }
    // The platform's standard cursor numbers as controls know them (0 the window class's cursor).
    void SetMousePointer(int pointer) noexcept { mousePointer_ = pointer; }
    [[nodiscard]] int MousePointer() const noexcept { return mousePointer_; }

    // Clears the whole surface to the background colour.
    void Cls() noexcept;
    // One BitBlt of the whole image.
    void CopyTo(HDC target, int x = 0, int y = 0) const noexcept;

private:
    void Release() noexcept;

    UniqueMemDC dc_;
    UniqueBitmap bitmap_;
    UniqueFont hfont_;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    ColorRef backColor_ = TranslateColor(SysColorRef(kSysButtonFace));
    ColorRef foreColor_ = TranslateColor(SysColorRef(kSysButtonText));
    FontDesc font_ = DefaultControlFont();
    bool fontSet_ = false;
    int dpi_ = SystemDpi();
    int mousePointer_ = 0;
};
