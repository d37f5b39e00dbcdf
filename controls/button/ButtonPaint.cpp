#include "ButtonPaint.h"

#include <algorithm>

#include "ButtonStyles.h"
#include "ScaledFace.h"
#include "winmsg/DpiScale.h"

namespace button {

namespace {

int Clamp(int v) {
    return std::clamp(v, 0, 255);
}

}  // namespace

ColorRef Shift(ColorRef c, int d) {
    return Rgb(Clamp(Red(c) + d), Clamp(Green(c) + d), Clamp(Blue(c) + d));
}

ColorRef Tint(ColorRef c, int level) {
    auto channel = [level](int v) { return std::min(255, level + ((255 - level) * v) / 255); };
    return Rgb(channel(Red(c)), channel(Green(c)), channel(Blue(c)));
}

ColorRef Blend(ColorRef a, ColorRef b) {
    auto channel = [](int x, int y) { return static_cast<int>(Nearest((x + y) / 2.0)); };
    return Rgb(channel(Red(a), Red(b)), channel(Green(a), Green(b)), channel(Blue(a), Blue(b)));
}

ColorRef Gray(ColorRef c) {
    const int a = static_cast<int>(Nearest(Green(c) / 3.0 + Blue(c) / 3.0 + Red(c) / 3.0));
    return Rgb(a, a, a);
}

ColorRef GrayscalePixel(ColorRef c) {
    const int r = Red(c), g = Green(c), b = Blue(c);
    if (r == g && g == b) {
        static constexpr int kKept[] = {0, 16, 32, 48, 64, 80, 96, 112, 128, 160, 176, 192, 208, 224, 240, 255};
        if (std::find(std::begin(kKept), std::end(kKept), r) != std::end(kKept)) return c;
    }
    const int a = static_cast<int>(std::min<std::int64_t>(255, Nearest(0.59 * g + 0.33 * r + 0.11 * b)));
    return Rgb(a, a, a);
}

ColorRef GradientColor(ColorRef from, ColorRef to, int i, int n) {
    return Rgb(InterpolateChannel(Red(from), Red(to), n, i), InterpolateChannel(Green(from), Green(to), n, i),
               InterpolateChannel(Blue(from), Blue(to), n, i));
}

void Frame(FaceCanvas& canvas, int x, int y, int w, int h, ColorRef c) {
    canvas.Line(x, y, x + w, y, c);
    canvas.Line(x + w, y, x + w, y + h, c);
    canvas.Line(x + w, y + h, x, y + h, c);
    canvas.Line(x, y + h, x, y, c);
}

void VGrad(FaceCanvas& canvas, ColorRef c1, ColorRef c2, int x1, int y0, int x2, int n) {
    for (int i = 0; i <= n; ++i) canvas.Line(x1, y0 + i, x2, y0 + i, GradientColor(c1, c2, i, n));
}

void HGrad(FaceCanvas& canvas, ColorRef c1, ColorRef c2, int x1, int y1, int x2, int y2) {
    const int n = x2 - x1;
    // Exact per column, unlike the vertical gradient: no single-precision step here.
    auto channel = [n](int a, int b, int i) {
        return n == 0 ? a : Clamp(static_cast<int>(Nearest(a + (b - a) * double(i) / n)));
    };
    for (int i = 0; i <= n; ++i) {
        const ColorRef c =
            Rgb(channel(Red(c1), Red(c2), i), channel(Green(c1), Green(c2), i), channel(Blue(c1), Blue(c2), i));
        canvas.Line(x1 + i, y1, x1 + i, y2, c);
    }
}

Shape ShapeFor(std::int32_t style, int w, int h) {
    Shape shape;
    switch (style) {
        case StyleSkinned:
        case StyleGlossy:
            shape.kind = Shape::Kind::Polygon;
            shape.points = {{0, 1}, {1, 0}, {w - 1, 0}, {w, 1}, {w, h - 2}, {w - 2, h}, {2, h}, {0, h - 2}};
            break;
        case StyleGradientBevel:
        case StyleCapsule:
            shape.kind = Shape::Kind::Polygon;
            shape.points = {{0, 2}, {2, 0}, {w - 3, 0}, {w, 3}, {w, h - 3}, {w - 3, h}, {4, h}, {0, h - 4}};
            break;
        case StyleRounded:
            shape.kind = Shape::Kind::RoundRect;
            shape.rect = Rect{0, 0, w + 1, h + 1};
            shape.ellipse = 18;
            break;
        default: shape.rect = Rect{0, 0, w, h}; break;
    }
    return shape;
}

Shape ShapeAtDpi(std::int32_t style, int width, int height, int dpi) {
    if (dpi == kBaseDpi) return ShapeFor(style, width, height);
    const ScaleAxis x(width, dpi), y(height, dpi);
    Shape shape = ShapeFor(style, x.BaseLength(), y.BaseLength());
    shape.rect = Rect{x.At(shape.rect.left), y.At(shape.rect.top), x.At(shape.rect.right), y.At(shape.rect.bottom)};
    shape.ellipse = ScaleToDpi(shape.ellipse, dpi);
    for (Point& p : shape.points) p = Point{x.At(p.x), y.At(p.y)};
    return shape;
}

Point IconPosition(std::int32_t iconAlign, int s, int m, int w, int h) {
    const int centreX = static_cast<int>(Nearest((w - s) / 2.0));
    const int centreY = static_cast<int>(Nearest((h - s) / 2.0));
    switch (iconAlign) {
        case IconLeft: return {m, centreY};
        case IconRight: return {w - s - m, centreY};
        case IconTop: return {centreX, m};
        case IconBottom: return {centreX, h - s - m};
        default: return {centreX, centreY};
    }
}

// The surface keeps its background between paints: the next paint starts by clearing to it.
void SetSurfaceBackground(ButtonCore& core, FaceCanvas& canvas, OleColor c) {
    core.Fields().SurfaceBackColor = c;
    canvas.SetBackground(TranslateColor(c, core.Site().Colors()));
}

void SetSurfaceBackground(ButtonCore& core, FaceCanvas& canvas, ColorRef c) {
    core.Fields().SurfaceBackColor = ToOleColor(c);
    canvas.SetBackground(c);
}

void PaintGradientBevel(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const ButtonProperties& p = core.Props();
    const ButtonSite& site = core.Site();
    const int state = core.Fields().ButtonState;
    const ColorRef face = site.Colors().SysColor(kSysButtonFace);
    // A stored custom colour may name a system colour; the arithmetic needs the plain one.
    const ColorRef back = TranslateColor(p.BackColor, site.Colors());
    const ColorRef highlight = TranslateColor(p.HighlightColor, site.Colors());

    const ColorRef base =
        state == kStateNormal ? (p.UseCustomColors ? back : face) : (p.UseCustomColors ? highlight : Shift(face, 15));
    const ColorRef frameBase = p.UseCustomColors ? back : face;
    const ColorRef border =
        (state != kStatePressed && core.Fields().HasFocus) ? Shift(frameBase, -96) : Shift(frameBase, -48);
    const ColorRef shadow = Shift(border, 21);
    const ColorRef corner = Shift(shadow, 15);

    SetSurfaceBackground(core, canvas, base);
    if (state == kStatePressed) {
        VGrad(canvas, Shift(base, -15), Shift(base, 15), 2, 2, w - 3, h - 6);
        canvas.Line(2, 1, w - 3, 1, base);
        canvas.Line(1, 2, 1, h - 3, base);
        canvas.Line(2, h - 3, w - 2, h - 3, Shift(base, 96));
        canvas.Line(w - 2, 2, w - 2, h - 3, Shift(base, 96));
    } else {
        VGrad(canvas, Shift(base, 15), Shift(base, -15), 2, 2, w - 3, h - 6);
        canvas.Line(2, 1, w - 3, 1, Shift(base, 96));
        canvas.Line(1, 2, 1, h - 3, Shift(base, 96));
        canvas.Line(2, h - 3, w - 2, h - 3, base);
        canvas.Line(w - 2, 2, w - 2, h - 3, base);
    }

    canvas.Line(2, 0, w - 3, 0, border);
    canvas.Line(0, 2, 0, h - 3, border);
    canvas.Line(2, h - 2, w - 3, h - 2, border);
    canvas.Line(w - 2, 2, w - 2, h - 3, border);
    canvas.Pixel(1, 1, border);
    canvas.Pixel(1, h - 3, border);
    canvas.Pixel(w - 3, 1, border);
    canvas.Pixel(w - 3, h - 3, border);

    canvas.Line(3, h - 1, w - 4, h - 1, shadow);
    canvas.Line(w - 1, 3, w - 1, h - 4, shadow);
    canvas.Line(w - 4, h - 1, w, h - 5, shadow);
    canvas.Line(w - 3, h - 1, w, h - 4, corner);
}

namespace {

// The painter of each plain style and the margin its frame leaves the icon; an unknown style paints nothing.
struct StylePainter {
    std::int32_t style;
    void (*paint)(ButtonCore& core, FaceCanvas& canvas, int width, int height);
    int margin;
};
constexpr StylePainter kStylePainters[] = {
    {StyleEdge3D, PaintEdge3D, 4},
    {StyleThinEdge, PaintThinEdge, 4},
    {StyleFlatHover, PaintFlatHover, 4},
    {StyleDoubleFrame, PaintDoubleFrame, 4},
    {StyleHighlightTint, PaintHighlightTint, 4},
    {StyleSkinned, PaintSkinned, 5},
    {StyleGlossy, PaintGlossy, 5},
    {StyleGradientBevel, PaintGradientBevel, 4},
    {StyleCapsule, PaintCapsule, 7},
    {StyleRounded, PaintRounded, 7},
};

// The renderers draw the 96-DPI face; at any other DPI through a canvas that scales it.
void PaintFace(const StylePainter& painter, ButtonCore& core, Canvas& canvas, int w, int h, int dpi) {
    if (dpi == kBaseDpi) {
        painter.paint(core, canvas, w, h);
        return;
    }
    ScaledFace face(canvas, w, h, dpi);
    painter.paint(core, face, face.Width(), face.Height());
}

}  // namespace

bool Paint(ButtonCore& core, Canvas& canvas, const PaintInput& input) {
    ButtonFields& f = core.Fields();
    const ButtonProperties& p = core.Props();
    const ButtonSite& site = core.Site();
    const int w = input.width;
    const int h = input.height;
    const int dpi = site.DisplayDpi();

    canvas.SetBackground(TranslateColor(f.SurfaceBackColor, site.Colors()));
    int margin = 4;
    if (!f.IsShown) return false;
    bool fellBack = false;

    if (!input.userMode && p.Style != StyleSkinned) f.ButtonState = kStateHover;
    if (p.ButtonType == ButtonCheck && p.Value) f.ButtonState = kStatePressed;
    if (!p.Enabled) {
        f.ButtonState = kStateDisabled;
        SetSurfaceBackground(core, canvas, SysColorRef(kSysButtonFace));
    }

    if (p.Style == StyleThemed) {
        SetSurfaceBackground(core, canvas, SysColorRef(kSysButtonFace));
        const int themeState = (f.HasFocus && f.ButtonState == kStateNormal) ? 5 : f.ButtonState;
        // Without a visual style the button keeps the fall-back style from now on.
        if (!canvas.DrawThemed(themeState)) {
            core.FallBackFromTheme();
            fellBack = true;
        }
    } else {
        for (const StylePainter& painter : kStylePainters) {
            if (painter.style != p.Style) continue;
            PaintFace(painter, core, canvas, w, h, dpi);
            margin = painter.margin;
            break;
        }
    }

    if (p.Icon && p.Icon->handle != 0) {
        // The icon and its offsets at the scale, placed on the surface's own pixels so it stays centred.
        const int size = ScaleToDpi(p.IconSize, dpi);
        Point at = IconPosition(p.IconAlign, size, ScaleToDpi(margin, dpi), w, h);
        if (f.ButtonState == kStatePressed) {
            at.x += ScaleToDpi(1, dpi);
            at.y += ScaleToDpi(1, dpi);
        } else if (f.ButtonState == kStateHover && p.Style == StyleHighlightTint) {
            canvas.DrawIconShadow(at.x, at.y, size);
            at.x -= ScaleToDpi(2, dpi);
            at.y -= ScaleToDpi(2, dpi);
        }
        canvas.DrawIcon(at.x, at.y, size, p.Enabled);
    }

    ColorRef text;
    if (f.ButtonState == kStateDisabled)
        text = TranslateColor(SysColorRef(kSysGrayText), site.Colors());
    else if (!p.UseCustomColors)
        text = site.Colors().SysColor(kSysButtonText);
    else
        text = TranslateColor(f.ButtonState == kStateNormal ? p.FontColor : p.FontHighlightColor, site.Colors());
    canvas.DrawCaption(f.TextRect, f.CaptionFormat, text);
    return fellBack;
}

}  // namespace button
