#include "ProgressBar.h"

#include <utility>
#include <vector>

#include "controls/progressbar/ProgressBarReader.h"

namespace {

wchar_t DecimalSeparator() noexcept {
    wchar_t sep[4]{};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 4) > 1 ? sep[0] : L'.';
}

// A colour property as drawn, greyed when the bar is disabled.
ColorRef DrawColor(OleColor color, bool enabled) noexcept {
    const ColorRef plain = TranslateColor(color);
    return enabled ? plain : progressbar::Gray(plain);
}

}  // namespace

HWND ProgressBar::Create(const HostedControlArgs& args) {
    return HostedControl::Create(std::unique_ptr<HostedControl>(new ProgressBar()), kClassName, args);
}

ProgressBar* ProgressBar::FromHwnd(HWND hwnd) noexcept {
    return dynamic_cast<ProgressBar*>(HostedControl::FromHwnd(hwnd));
}

void ProgressBar::InitProperties() {
    model_.InitProperties(Site().Ambient.Font);
}

void ProgressBar::ReadProperties(const PropertyBag& bag) {
    model_.ReadProperties(bag, Site().Ambient.DisplayName, Site().Ambient.Font);
}

void ProgressBar::WriteProperties(PropertyBag& bag) const {
    model_.WriteProperties(bag, Site().Ambient.Font);
}

void ProgressBar::OnResize() {
    Redraw();
}

std::optional<reader::Description> ProgressBar::Describe(const reader::WindowFacts& facts) const {
    return progressbar::DescribeForReader(model_, facts, DecimalSeparator());
}

unsigned ProgressBar::ReaderChangesFor(std::wstring_view property) const noexcept {
    return ProgressBarModel::ReaderChangesFor(property);
}

void ProgressBar::PropertyChanged(std::wstring_view name) {
    if (name == L"TextFont") Surface().SetFont(model_.Props().TextFont);
    Site().PropertyChanged(name);
    Redraw();
}

void ProgressBar::GradientTwoColor(HDC objectHdc, int direction, ColorRef startColor, ColorRef endColor, int lLeft,
                                   int lTop, int lWidth, int lHeight) noexcept {
    using namespace progressbar;
    // Any other mode would make GradientFill read the rectangle as a triangle, past the end of the mesh.
    if (direction != 0 && direction != 1) return;
    auto vertex = [](int x, int y, ColorRef c) {
        TRIVERTEX v{};
        v.x = x;
        v.y = y;
        v.Red = static_cast<COLOR16>(Red(c) << 8);
        v.Green = static_cast<COLOR16>(Green(c) << 8);
        v.Blue = static_cast<COLOR16>(Blue(c) << 8);
        v.Alpha = 0;
        return v;
    };
    TRIVERTEX vertices[2] = {vertex(lLeft, lTop, startColor), vertex(lWidth, lHeight, endColor)};
    GRADIENT_RECT rect{0, 1};
    GradientFill(objectHdc, vertices, 2, &rect, 1, direction == 0 ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
}

void ProgressBar::DrawGradientFourColor(HDC objectHdc, int lLeft, int lTop, int lWidth, int lHeight,
                                        ColorRef topLeftColor, ColorRef topRightColor, ColorRef bottomLeftColor,
                                        ColorRef bottomRightColor) {
    using namespace progressbar;
    if (lWidth <= 0 || lHeight <= 0) return;
    const ColorRef tl = topLeftColor, tr = topRightColor;
    const ColorRef bl = bottomLeftColor, br = bottomRightColor;
    auto edge = [lHeight](ColorRef top, ColorRef bottom, int y) {
        return Rgb(InterpolateChannel(Red(top), Red(bottom), lHeight, y),
                   InterpolateChannel(Green(top), Green(bottom), lHeight, y),
                   InterpolateChannel(Blue(top), Blue(bottom), lHeight, y));
    };
    // One 24-bit bottom-up row, padded to whole 32-bit words.
    const size_t stride = (static_cast<size_t>(lWidth) * 3 + 3) & ~size_t{3};
    std::vector<BYTE> row(stride, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = lWidth;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    for (int y = 0; y < lHeight; ++y) {
        const ColorRef left = edge(tl, bl, y);
        const ColorRef right = edge(tr, br, y);
        for (int x = 0; x < lWidth; ++x) {
            BYTE* pixel = &row[static_cast<size_t>(x) * 3];
            pixel[0] = static_cast<BYTE>(InterpolateChannel(Blue(left), Blue(right), lWidth, x));
            pixel[1] = static_cast<BYTE>(InterpolateChannel(Green(left), Green(right), lWidth, x));
            pixel[2] = static_cast<BYTE>(InterpolateChannel(Red(left), Red(right), lWidth, x));
        }
        SetDIBitsToDevice(objectHdc, lLeft, lTop + y, static_cast<DWORD>(lWidth), 1, 0, 0, 0, 1, row.data(), &info,
                          DIB_RGB_COLORS);
    }
}

void ProgressBar::ApplyShape(int width, int height, int rounded) noexcept {
    shape_.Apply(
        rounded, width, height, Dpi(),
        [&] { return UniqueRegion(CreateRoundRectRgn(0, 0, width, height, rounded, rounded)); },
        [this](UniqueRegion region) { return SetShape(std::move(region)); });
}

void ProgressBar::Redraw() noexcept {
    using namespace progressbar;
    if (!Hwnd()) return;
    DrawingSurface& surface = Surface();
    HDC dc = surface.Dc();
    if (!dc) return;
    const int w = surface.ScaleWidth();
    const int h = surface.ScaleHeight();
    // The corners and the outline are sizes at 96 DPI; the fill and its halves follow the bar's own size.
    const int r = ScaleToDpi(model_.Props().RoundedValue, Dpi());
    const int outline = ScaleToDpi(1, Dpi());
    const bool enabled = model_.Props().Enabled;

    ApplyShape(w, h, r);
    if (FillThemeTable(model_.Props().Theme, TranslateColor(model_.Props().PBSCustomeColor1),
                       TranslateColor(model_.Props().PBSCustomeColor2), table_))
        tableGray_ = false;
    // The table itself turns grey: a value that is no theme keeps it as it is, grey included. Once only: grey
    // taken again of a light grey comes out one lighter, and every redraw would fade the bar towards white.
    if (!enabled && !tableGray_) {
        for (ColorRef& c : table_) c = Gray(c);
        tableGray_ = true;
    }
    const ThemeTable& colors = table_;

    // The container's background again at every redraw, so a changed system colour shows in the corners.
    surface.SetBackColor(TranslateColor(Site().Ambient.BackColor));
    surface.Cls();
    const BarPlan plan = PlanBar(model_, w, h, colors);
    for (int i = 0; i < plan.count; ++i) {
        const GradientRect& g = plan.rects[static_cast<size_t>(i)];
        GradientTwoColor(dc, g.direction, g.start, g.end, g.left, g.top, g.right, g.bottom);
    }
    {
        // A thicker outline stays inside the same corners: it grows inwards, as the one-pixel one lies.
        UniquePen pen(CreatePen(outline == 1 ? PS_SOLID : PS_INSIDEFRAME, outline, colors[O].value));
        SelectGuard penGuard(dc, pen.Get());
        SelectGuard brushGuard(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, 0, 0, w - outline, h - outline, r, r);
    }

    const std::optional<std::wstring> caption = CaptionText(model_, DecimalSeparator());
    std::wstring drawn;
    if (caption && model_.Props().TextEffect >= 1 && model_.Props().TextEffect <= 5) {
        DrawCaption(*caption);
        drawn = *caption;
    }
    ShowCaptionAsText(drawn);
    CopyToScreen();
}

void ProgressBar::DrawCaption(const std::wstring& text) noexcept {
    using namespace progressbar;
    HDC dc = Surface().Dc();
    const bool enabled = model_.Props().Enabled;
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const Point at = TextPosition(model_.Props().TextAlignment, Surface().ScaleWidth(), Surface().ScaleHeight(),
                                  extent.cx, extent.cy, Dpi());
    const EffectCopies copies =
        CopiesForEffect(model_.Props().TextEffect, at, DrawColor(model_.Props().TextForeColor, enabled),
                        DrawColor(model_.Props().TextEffectColor, enabled), Dpi());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    for (int i = 0; i < copies.count; ++i) {
        const TextCopy& copy = copies.copies[static_cast<size_t>(i)];
        SetTextColor(dc, copy.color.value);
        TextOutW(dc, copy.at.x, copy.at.y, text.c_str(), static_cast<int>(text.size()));
    }
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

void ProgressBar::ShowCaptionAsText(const std::wstring& text) noexcept {
    if (windowText_ == text) return;
    windowText_ = text;
    SetWindowTextW(Hwnd(), text.c_str());
}
