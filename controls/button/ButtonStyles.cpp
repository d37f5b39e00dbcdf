#include "ButtonStyles.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace button {

namespace {

constexpr ColorRef kBlack = Rgb(0, 0, 0);

// What every renderer reads: the state to draw and the colours it may start from, already plain.
struct Look {
    int state;
    bool custom;
    bool focus;
    ColorRef face;       // Sys(15)
    ColorRef back;       // BackColor
    ColorRef highlight;  // HighlightColor
};

Look ReadLook(const ButtonCore& core) {
    const ButtonProperties& p = core.Props();
    const ButtonSite& site = core.Site();
    return Look{core.Fields().ButtonState,
                p.UseCustomColors,
                core.Fields().HasFocus,
                site.Colors().SysColor(kSysButtonFace),
                TranslateColor(p.BackColor, site.Colors()),
                TranslateColor(p.HighlightColor, site.Colors())};
}

// Face of styles 1 and 2: the back colour at rest and disabled, the highlight colour under the pointer and pressed.
ColorRef ThinFace(const Look& l) {
    if (!l.custom) return l.face;
    return (l.state == kStateNormal || l.state == kStateDisabled) ? l.back : l.highlight;
}

void Pixels(FaceCanvas& canvas, std::initializer_list<Point> points, ColorRef c) {
    for (const Point& p : points) canvas.Pixel(p.x, p.y, c);
}

// A thin raised edge, sunken while pressed; the flat style shows it only under the mouse. A frame in the face colour
// stands where no edge is drawn.
void PaintThin(ButtonCore& core, FaceCanvas& canvas, int w, int h, bool flatAtRest) {
    const Look l = ReadLook(core);
    const ColorRef face = ThinFace(l);
    SetSurfaceBackground(core, canvas, face);
    if (l.state == kStatePressed)
        canvas.Edge(kEdgeThinSunken, Rect{0, 0, w, h});
    else if (l.state == kStateHover || (!flatAtRest && l.state != kStateDisabled))
        canvas.Edge(kEdgeThinRaised, Rect{0, 0, w, h});
    else
        Frame(canvas, 0, 0, w - 1, h - 1, face);
}

}  // namespace

void PaintEdge3D(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const Look l = ReadLook(core);
    const ColorRef face = !l.custom ? l.face : (l.state == kStateNormal ? l.back : l.highlight);
    SetSurfaceBackground(core, canvas, face);
    canvas.Edge(l.state == kStatePressed ? kEdgeSunken : kEdgeRaised, Rect{0, 0, w, h});
    // A focused button shows focus only when asked to; an unfocused one shows that Enter would press it.
    const bool framed = l.focus ? core.Props().ShowFocus : core.Site().DisplayAsDefault();
    if (framed) Frame(canvas, 0, 0, w - 1, h - 1, kBlack);
}

void PaintThinEdge(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    PaintThin(core, canvas, w, h, false);
}

void PaintFlatHover(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    PaintThin(core, canvas, w, h, true);
}

void PaintDoubleFrame(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const Look l = ReadLook(core);
    const ButtonSite& site = core.Site();
    const ColorRef shadow = site.Colors().SysColor(kSysButtonShadow);
    const ColorRef window = site.Colors().SysColor(kSysWindow);
    SetSurfaceBackground(core, canvas, l.custom ? l.back : l.face);

    ColorRef c;
    switch (l.state) {
        case kStateHover: c = l.custom ? Blend(l.highlight, l.back) : Blend(shadow, l.face); break;
        case kStatePressed: c = l.custom ? l.highlight : shadow; break;
        default: c = l.custom ? l.back : l.face; break;
    }
    // The caption's rectangle, taken here on the face's own 96-DPI grid.
    canvas.Fill(4, 4, w - 8, h - 8, c);

    Frame(canvas, 0, 0, w - 2, h - 2, shadow);
    Frame(canvas, 1, 1, w - 2, h - 2, window);
    Pixels(canvas, {{0, h - 1}, {w - 1, 0}}, c);
    Pixels(canvas, {{1, h - 2}, {w - 2, 1}}, Blend(window, shadow));
}

void PaintHighlightTint(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const Look l = ReadLook(core);
    if (l.state == kStateHover || l.state == kStatePressed) {
        const ColorRef hl = l.custom ? l.highlight : core.Site().Colors().SysColor(kSysHighlight);
        canvas.Fill(0, 0, w - 1, h - 1, Tint(hl, l.state == kStateHover ? 176 : 128));
        Frame(canvas, 0, 0, w - 1, h - 1, hl);
    } else {
        canvas.Fill(0, 0, w, h, Tint(l.custom ? l.back : l.face, 32));
    }
}

// ---- style 5 -------------------------------------------------------------------------------------------------

namespace {

// The skin's frame: a line on each side, the four corners left open for the corner pixels.
void SkinFrame(FaceCanvas& canvas, int w, int h, ColorRef c) {
    canvas.Line(2, 0, w - 2, 0, c);
    canvas.Line(2, h - 1, w - 2, h - 1, c);
    canvas.Line(0, 2, 0, h - 2, c);
    canvas.Line(w - 1, 2, w - 1, h - 2, c);
}

// Corner pixels: the inner ones close the frame diagonally, the outer ones soften it towards the outside and
// the second ring towards the face.
void InnerCorners(FaceCanvas& canvas, int w, int h, ColorRef c) {
    Pixels(canvas, {{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}}, c);
}
void OuterCorners(FaceCanvas& canvas, int w, int h, ColorRef c) {
    Pixels(canvas, {{1, 0}, {0, 1}, {w - 2, 0}, {w - 1, 1}, {0, h - 2}, {1, h - 1}, {w - 1, h - 2}, {w - 2, h - 1}}, c);
}
void SecondRing(FaceCanvas& canvas, int w, int h, ColorRef c) {
    Pixels(canvas, {{2, 1}, {1, 2}, {w - 3, 1}, {w - 2, 2}, {1, h - 3}, {2, h - 2}, {w - 2, h - 3}, {w - 3, h - 2}}, c);
}

// The inner rim of the hovered and the focused skin: two lines at the top, two at the bottom and two columns on
// each side between them.
struct Rim {
    ColorRef top, second, lower, bottom, sideFrom, sideTo;
};
void PaintRim(FaceCanvas& canvas, int w, int h, const Rim& rim) {
    canvas.Line(2, 1, w - 2, 1, rim.top);
    canvas.Line(1, 2, w - 1, 2, rim.second);
    canvas.Line(1, h - 3, w - 1, h - 3, rim.lower);
    canvas.Line(2, h - 2, w - 2, h - 2, rim.bottom);
    for (int x : {1, 2, w - 3, w - 2}) VGrad(canvas, rim.sideFrom, rim.sideTo, x, 3, x + 1, h - 7);
}

constexpr Rim kHotRim{Rgb(255, 240, 207), Rgb(253, 216, 137), Rgb(248, 179, 48),
                      Rgb(229, 151, 16),  Rgb(253, 216, 137), Rgb(248, 179, 48)};
constexpr Rim kDefaultRim{Rgb(206, 231, 255), Rgb(188, 212, 246), Rgb(137, 173, 228),
                          Rgb(105, 130, 238), Rgb(188, 212, 246), Rgb(137, 173, 228)};

// The fixed palette: the same look whatever the system colours are.
void PaintSkinFixed(ButtonCore& core, FaceCanvas& canvas, int w, int h, const Look& l) {
    if (l.state == kStateDisabled) {
        constexpr ColorRef kFrame = Rgb(201, 199, 186);
        SetSurfaceBackground(core, canvas, Rgb(245, 244, 234));
        Frame(canvas, 0, 0, w - 1, h - 1, kFrame);
        InnerCorners(canvas, w, h, kFrame);
        OuterCorners(canvas, w, h, Rgb(216, 213, 199));
        return;
    }
    if (l.state == kStatePressed) {
        constexpr ColorRef kBody = Rgb(227, 226, 219);
        SetSurfaceBackground(core, canvas, kBody);
        VGrad(canvas, Rgb(209, 204, 193), Rgb(228, 227, 220), 1, 1, w - 1, 1);
        VGrad(canvas, Rgb(228, 227, 220), kBody, 1, 3, w - 1, h - 7);
        VGrad(canvas, kBody, Rgb(242, 241, 238), 1, h - 3, w - 1, 1);
        VGrad(canvas, Rgb(218, 216, 206), kBody, 1, 2, 2, h - 5);
        VGrad(canvas, Rgb(223, 222, 213), kBody, 2, 2, 3, h - 5);
    } else {
        constexpr ColorRef kBodyEnd = Rgb(240, 240, 234);
        SetSurfaceBackground(core, canvas, kBodyEnd);
        VGrad(canvas, Rgb(250, 250, 249), kBodyEnd, 1, 3, w - 1, h - 7);
        VGrad(canvas, Rgb(252, 252, 251), Rgb(240, 240, 240), 1, 1, w - 1, 1);
        VGrad(canvas, Rgb(235, 235, 230), Rgb(214, 208, 197), 1, h - 3, w - 1, 1);
        VGrad(canvas, Rgb(251, 251, 250), Rgb(228, 226, 218), w - 3, 1, w - 2, h - 3);
        VGrad(canvas, Rgb(245, 244, 242), Rgb(219, 215, 205), w - 2, 1, w - 1, h - 3);
    }
    SkinFrame(canvas, w, h, Rgb(0, 60, 116));
    InnerCorners(canvas, w, h, Rgb(72, 110, 144));
    OuterCorners(canvas, w, h, Rgb(106, 139, 162));
    SecondRing(canvas, w, h, Rgb(191, 199, 202));
    if (l.state == kStateHover)
        PaintRim(canvas, w, h, kHotRim);
    else if (l.state == kStateNormal && (l.focus || core.Site().DisplayAsDefault()))
        PaintRim(canvas, w, h, kDefaultRim);
}

// The same construction from the custom back colour; the rim from the highlight colour.
void PaintSkinCustom(ButtonCore& core, FaceCanvas& canvas, int w, int h, const Look& l) {
    const ColorRef b = l.back;
    const ColorRef frame = Shift(b, -128);
    if (l.state == kStateDisabled) {
        SetSurfaceBackground(core, canvas, b);
        Frame(canvas, 0, 0, w - 1, h - 1, Shift(b, -48));
        InnerCorners(canvas, w, h, Shift(b, -48));
        OuterCorners(canvas, w, h, Shift(b, -21));
    } else {
        // Pressed turns the face around: dark lines at the top, light ones at the bottom.
        const bool pressed = l.state == kStatePressed;
        const std::vector<int> topLines = pressed ? std::vector<int>{-37, -24, -16} : std::vector<int>{5, 2};
        const std::vector<int> bottomLines = pressed ? std::vector<int>{2, 5} : std::vector<int>{-16, -24, -37};
        const int bodyTop = 1 + static_cast<int>(topLines.size());
        const int bodyBottom = h - 2 - static_cast<int>(bottomLines.size());
        SetSurfaceBackground(core, canvas, Shift(b, -15));
        VGrad(canvas, pressed ? Shift(b, -15) : b, pressed ? b : Shift(b, -15), 1, bodyTop, w - 1,
              bodyBottom - bodyTop);
        VGrad(canvas, Shift(b, pressed ? -32 : 21), Shift(b, pressed ? -5 : -21), 1, 2, 2, h - 5);
        VGrad(canvas, Shift(b, pressed ? -21 : -5), Shift(b, pressed ? 21 : -32), w - 2, 2, w - 1, h - 5);
        for (size_t i = 0; i < topLines.size(); ++i) {
            const int y = 1 + static_cast<int>(i);
            canvas.Line(2, y, w - 2, y, Shift(b, topLines[i]));
        }
        for (size_t i = 0; i < bottomLines.size(); ++i) {
            const int y = bodyBottom + 1 + static_cast<int>(i);
            canvas.Line(2, y, w - 2, y, Shift(b, bottomLines[i]));
        }
        SkinFrame(canvas, w, h, frame);
        InnerCorners(canvas, w, h, frame);
        OuterCorners(canvas, w, h, Shift(b, -21));
    }
    const bool rim = l.state == kStateHover || (l.focus && core.Props().ShowFocus);
    if (!rim) return;
    const ColorRef r = l.state == kStateHover ? l.highlight : core.Site().Colors().SysColor(kSysHighlight);
    PaintRim(canvas, w, h, Rim{Shift(r, 85), Shift(r, 69), Shift(r, 16), r, Shift(r, 69), Shift(r, 16)});
}

}  // namespace

void PaintSkinned(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const Look l = ReadLook(core);
    if (l.custom)
        PaintSkinCustom(core, canvas, w, h, l);
    else
        PaintSkinFixed(core, canvas, w, h, l);
}

// ---- style 7 -------------------------------------------------------------------------------------------------

void PaintGlossy(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const Look l = ReadLook(core);
    const ColorRef B = l.custom ? l.back : l.face;
    ColorRef b;
    switch (l.state) {
        case kStateHover: b = Shift(B, 24); break;
        case kStatePressed: b = Shift(B, -9); break;
        case kStateDisabled: b = Shift(B, 18); break;
        default: b = Shift(B, 8); break;
    }
    const bool pressed = l.state == kStatePressed;
    // Pressed keeps the background the last paint left; the face covers all of it that shows.
    if (!pressed) SetSurfaceBackground(core, canvas, b);

    if (pressed) {
        VGrad(canvas, Shift(b, -15), b, 1, 1, w - 2, h - 3);
        VGrad(canvas, Shift(b, -32), Shift(b, -5), 1, 2, 2, h - 5);
        VGrad(canvas, Shift(b, -21), Shift(b, 21), w - 2, 2, w - 3, h - 5);
    } else {
        const int d = l.state == kStateHover ? 16 : 15;
        VGrad(canvas, Shift(b, d), Shift(b, -d), 1, 1, w - 2, h - 3);
        VGrad(canvas, Shift(b, 21), Shift(b, -21), 1, 2, 2, h - 5);
        VGrad(canvas, Shift(b, -5), Shift(b, -32), w - 2, 2, w - 3, h - 5);
    }

    const ColorRef frame = Shift(b, -96);
    canvas.Line(2, 0, w - 2, 0, frame);
    canvas.Line(0, 2, 0, h - 2, frame);
    canvas.Line(2, h - 1, w - 2, h - 1, frame);
    canvas.Line(w - 1, 0, w - 1, h, frame);
    Pixels(canvas, {{1, 1}, {1, h - 2}, {w - 2, 1}, {w - 2, h - 2}}, frame);
    OuterCorners(canvas, w, h, Shift(B, l.state == kStateDisabled ? 5 : -21));

    // The glint under the top edge and the shade over the bottom one.
    const ColorRef lineBase = l.state == kStateHover ? l.face : B;
    canvas.Line(2, 1, w - 2, 1, Shift(lineBase, 21));
    canvas.Line(2, h - 2, w - 2, h - 2, pressed ? Shift(B, 8) : Shift(lineBase, l.state == kStateHover ? -16 : -37));

    // A pressed button keeps its own bottom line: the focus lines would cover it.
    if ((l.focus && !pressed) || l.state == kStateHover) {
        canvas.Line(2, 1, w - 2, 1, Shift(B, 21));
        canvas.Line(1, 2, w - 1, 2, Shift(B, 21));
        canvas.Line(1, h - 3, w - 1, h - 3, Shift(B, -5));
        canvas.Line(2, h - 2, w - 2, h - 2, Shift(B, -21));
    }
}

// ---- style 9 -------------------------------------------------------------------------------------------------

namespace {

// One column of the shoulders: a gradient from row `top` to row `bottom`, both included.
void Column(FaceCanvas& canvas, int x, int top, int bottom, ColorRef from, ColorRef to) {
    VGrad(canvas, from, to, x, top, x + 1, bottom - top);
}

// One row of the bottom shading: a gradient from column `left` to column `right`, both included.
void Row(FaceCanvas& canvas, int y, int left, int right, ColorRef from, ColorRef to) {
    HGrad(canvas, from, to, left, y, right, y + 1);
}

}  // namespace

void PaintCapsule(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const Look l = ReadLook(core);
    const ColorRef B = l.custom ? l.back : l.face;
    const ColorRef H = l.custom ? l.highlight : l.face;
    ColorRef b;
    switch (l.state) {
        case kStateHover: b = Shift(H, 1); break;
        case kStatePressed: b = Shift(H, 24); break;
        case kStateDisabled: b = Shift(B, 15); break;
        default: b = Shift(B, -15); break;
    }
    auto s = [b](int d) { return Shift(b, d); };
    const int mid = h / 2;
    SetSurfaceBackground(core, canvas, b);

    VGrad(canvas, s(32), s(-32), 5, 0, w - 5, h - 1);

    // Left side: the edge, then four shoulder columns that shade towards the half height and on to the bottom.
    Column(canvas, 0, 2, h - 4, s(128), s(-128));
    const int leftUpper[4] = {-37, -53, -37, 5};
    const int leftLower[4] = {-32, -32, -32, -5};
    for (int i = 0; i < 4; ++i) {
        const int x = 1 + i;
        const int split = mid - 4 - i;
        Column(canvas, x, 1, split, i == 3 ? s(37) : b, s(leftUpper[i]));
        Column(canvas, x, split + 1, h - 4, s(leftUpper[i]), s(leftLower[i]));
    }
    Row(canvas, h - 5, 1, 6, s(-53), s(-32));
    Row(canvas, h - 4, 2, 6, s(-56), s(-32));
    Row(canvas, h - 3, 3, 6, s(-37), s(-32));

    // Right side, the shaded one: the same construction, darker.
    Column(canvas, w - 1, 3, h - 3, s(128), s(-128));
    const int rightUpper[4] = {-48, -64, -8, 5};
    const int rightLower[4] = {-37, -53, -21, -5};
    for (int i = 0; i < 4; ++i) {
        const int x = w - 2 - i;
        const int split = mid - 4 - i;
        Column(canvas, x, 1, split, i == 3 ? s(37) : b, s(rightUpper[i]));
        Column(canvas, x, split + 1, h - 4, s(rightUpper[i]), s(rightLower[i]));
    }
    Row(canvas, h - 5, w - 7, w - 2, s(-32), s(-53));
    Row(canvas, h - 4, w - 7, w - 3, s(-32), s(-56));
    Row(canvas, h - 3, w - 7, w - 4, s(-32), s(-37));

    // Top highlight, with a glint at the upper left.
    canvas.Line(3, 0, w - 3, 0, s(48));
    canvas.Line(1, 1, w - 1, 1, s(48));
    canvas.Line(5, 1, w - 5, 1, b);
    Row(canvas, 2, 1, 9, s(32), b);
    Row(canvas, 3, 2, 8, s(32), b);
    Row(canvas, 4, 3, 7, s(32), b);
    canvas.Line(6, 3, 7, 3, s(128));

    // Bottom edge with its soft shadow.
    canvas.Line(3, h - 1, w - 3, h - 1, s(-16));
    canvas.Line(2, h - 2, w - 3, h - 2, s(-128));
    canvas.Line(7, h - 3, w - 7, h - 3, b);
    Pixels(canvas, {{1, h - 3}, {w - 3, h - 3}}, s(-112));
    canvas.Line(w - 4, h - 1, w - 1, h - 4, s(-21));
}

// ---- style 10 ------------------------------------------------------------------------------------------------

RowInset RoundedInset(int row, int height) {
    // The pixels the window shape (corner ellipse 18) leaves out at the ends of the first and last six rows.
    static constexpr int kInset[] = {6, 4, 3, 2, 1, 1};
    constexpr int kRows = static_cast<int>(std::size(kInset));
    const int fromEdge = std::min(row, height - 1 - row);
    if (fromEdge < 0 || fromEdge >= kRows) return {};
    return {kInset[fromEdge], kInset[fromEdge]};
}

namespace {

// One of the three built-in pictures: the outline, the ring just inside it (light above the half height, dark
// below), and the face: a run of 11 rows at the top into the flat middle, and a run of 8 rows at the bottom.
struct RoundedPicture {
    ColorRef rim, ringTop, ringBottom, top, middle, bottom;
};

constexpr RoundedPicture kRest{Rgb(112, 112, 122), Rgb(255, 255, 255), Rgb(214, 213, 219),
                               Rgb(252, 252, 253), Rgb(232, 231, 234), Rgb(208, 206, 213)};
constexpr RoundedPicture kHover{Rgb(60, 127, 177),  Rgb(250, 253, 255), Rgb(184, 214, 240),
                                Rgb(246, 251, 255), Rgb(225, 238, 251), Rgb(194, 221, 246)};
constexpr RoundedPicture kPressed{Rgb(44, 98, 139),   Rgb(158, 190, 217), Rgb(226, 240, 252),
                                  Rgb(186, 213, 236), Rgb(204, 228, 247), Rgb(222, 238, 252)};

constexpr int kTopRun = 11;
constexpr int kBottomRun = 8;
constexpr int kLeftRun = 18;
constexpr int kRightRun = 16;

ColorRef FaceAt(const RoundedPicture& pic, int y, int h) {
    if (y >= h - kBottomRun) return GradientColor(pic.middle, pic.bottom, y - (h - kBottomRun), kBottomRun - 1);
    if (y < kTopRun) return GradientColor(pic.top, pic.middle, y, kTopRun - 1);
    return pic.middle;
}

class RoundedOutline {
public:
    RoundedOutline(int w, int h) : w_(w), h_(h) {}

    bool Inside(int x, int y) const {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) return false;
        const RowInset inset = RoundedInset(y, h_);
        return x >= inset.left && x < w_ - inset.right;
    }
    // Inside, next to the outside.
    bool Rim(int x, int y) const {
        return Inside(x, y) && (!Inside(x - 1, y) || !Inside(x + 1, y) || !Inside(x, y - 1) || !Inside(x, y + 1));
    }
    // Inside, next to the rim.
    bool Ring(int x, int y) const {
        return Inside(x, y) && !Rim(x, y) && (Rim(x - 1, y) || Rim(x + 1, y) || Rim(x, y - 1) || Rim(x, y + 1));
    }

private:
    int w_, h_;
};

}  // namespace

void PaintRounded(ButtonCore& core, FaceCanvas& canvas, int w, int h) {
    const Look l = ReadLook(core);
    const bool hot = l.state == kStateHover || ((l.state == kStateNormal || l.state == kStateDisabled) && l.focus);
    const RoundedPicture& pic = l.state == kStatePressed ? kPressed : hot ? kHover : kRest;

    const bool middleFilled = w > kLeftRun + kRightRun && h > kTopRun + kBottomRun;
    if (middleFilled) canvas.Fill(kLeftRun, kTopRun, w - kLeftRun - kRightRun, h - kTopRun - kBottomRun, pic.middle);

    // Row by row, each run of one colour as one line; the filled middle is left as it is.
    const RoundedOutline outline(w, h);
    std::vector<ColorRef> row(static_cast<size_t>(w));
    std::vector<bool> paint(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        const ColorRef face = FaceAt(pic, y, h);
        const ColorRef ring = y < h / 2 ? pic.ringTop : pic.ringBottom;
        const bool middleRow = middleFilled && y >= kTopRun && y < h - kBottomRun;
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(x);
            paint[i] = outline.Inside(x, y) && !(middleRow && x >= kLeftRun && x < w - kRightRun);
            row[i] = outline.Rim(x, y) ? pic.rim : outline.Ring(x, y) ? ring : face;
        }
        for (int x = 0; x < w;) {
            const size_t i = static_cast<size_t>(x);
            int end = x + 1;
            while (end < w && paint[static_cast<size_t>(end)] == paint[i] && row[static_cast<size_t>(end)] == row[i])
                ++end;
            if (paint[i]) canvas.Line(x, y, end, y, row[i]);
            x = end;
        }
    }
}

}  // namespace button
