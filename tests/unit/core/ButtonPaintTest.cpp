#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "winmsg/DpiScale.h"

namespace {

using namespace button;
using button_test::RasterCanvas;
using button_test::RecordingSite;

constexpr int kW = 57;
constexpr int kH = 25;

ColorRef GrayLevel(int v) {
    return Rgb(v, v, v);
}

class GradientBevel : public ::testing::Test {
protected:
    GradientBevel() : core(site), canvas(kW, kH) {
        core.InitProperties();
        core.Set(&ButtonProperties::Style, StyleGradientBevel);
        core.Layout(kW, kH);
        core.Fields().IsShown = true;
    }
    void Paint(int state, bool focus = false) {
        core.Fields().ButtonState = state;
        core.Fields().HasFocus = focus;
        button::Paint(core, canvas, PaintInput{kW, kH, true});
    }
    RecordingSite site;
    ButtonCore core;
    RasterCanvas canvas;
};

TEST_F(GradientBevel, NormalButtonRunsFromWhiteToDarkerGrayInsideALightBorder) {
    Paint(kStateNormal);
    EXPECT_EQ(canvas.At(10, 2), GrayLevel(255));
    EXPECT_EQ(canvas.At(10, 21), GrayLevel(225));
    EXPECT_EQ(canvas.At(10, 12), GrayLevel(239)) << "row 10 of 19: 255 - 30 * 10 / 19 = 239.2";
    // Rows 2 to 21 get lighter or stay level from bottom to top: one gradient, 20 rows.
    for (int y = 3; y <= 21; ++y) EXPECT_LE(Red(canvas.At(30, y)), Red(canvas.At(30, y - 1))) << y;
    EXPECT_EQ(canvas.At(2, 2), GrayLevel(255));
    EXPECT_EQ(canvas.At(53, 21), GrayLevel(225));

    // Bevel: light top and left, face-coloured bottom row.
    EXPECT_EQ(canvas.At(20, 1), GrayLevel(255));
    EXPECT_EQ(canvas.At(1, 12), GrayLevel(255));
    EXPECT_EQ(canvas.At(20, 22), GrayLevel(240));

    // Border with its cut corners.
    for (Point p : {Point{2, 0}, Point{53, 0}, Point{0, 2}, Point{0, 21}, Point{2, 23}, Point{53, 23}, Point{55, 2},
                    Point{55, 21}, Point{1, 1}, Point{1, 22}, Point{54, 1}, Point{54, 22}})
        EXPECT_EQ(canvas.At(p.x, p.y), GrayLevel(192)) << p.x << "," << p.y;
    EXPECT_EQ(canvas.At(54, 0), GrayLevel(240)) << "the top border stops before its end pixel";
    EXPECT_EQ(canvas.At(0, 22), GrayLevel(240));

    // Shadow along the right and the bottom, ending in two diagonals.
    for (Point p : {Point{3, 24}, Point{52, 24}, Point{56, 3}, Point{56, 20}, Point{53, 24}, Point{54, 23},
                    Point{55, 22}, Point{56, 21}})
        EXPECT_EQ(canvas.At(p.x, p.y), GrayLevel(213)) << p.x << "," << p.y;
    for (Point p : {Point{54, 24}, Point{55, 23}, Point{56, 22}}) EXPECT_EQ(canvas.At(p.x, p.y), GrayLevel(228));
    EXPECT_EQ(canvas.At(2, 24), GrayLevel(240));
    EXPECT_EQ(canvas.At(56, 2), GrayLevel(240));
    EXPECT_EQ(canvas.At(0, 0), GrayLevel(240));
}

TEST_F(GradientBevel, FocusDarkensTheBorderUnlessPressed) {
    Paint(kStateNormal, true);
    EXPECT_EQ(canvas.At(10, 0), GrayLevel(144));
    EXPECT_EQ(canvas.At(10, 24), GrayLevel(165));
    EXPECT_EQ(canvas.At(55, 23), GrayLevel(180));

    Paint(kStatePressed, true);
    EXPECT_EQ(canvas.At(10, 0), GrayLevel(192));
    EXPECT_EQ(canvas.At(10, 24), GrayLevel(213));
}

TEST_F(GradientBevel, PressedButtonTurnsTheGradientAndTheBevelAround) {
    // Pressed works from base = F + 15: the face runs dark to light, the light bevel moves to bottom and right.
    Paint(kStatePressed);
    EXPECT_EQ(canvas.At(10, 2), GrayLevel(240));
    EXPECT_EQ(canvas.At(10, 21), GrayLevel(255));
    EXPECT_EQ(canvas.At(20, 1), GrayLevel(255));
    EXPECT_EQ(canvas.At(1, 12), GrayLevel(255));
    EXPECT_EQ(canvas.At(20, 22), GrayLevel(255));
    EXPECT_EQ(canvas.At(0, 0), GrayLevel(255)) << "the surface is cleared to base";

    // A darker face shows the same steps without clamping hiding them.
    site.face = GrayLevel(100);
    Paint(kStatePressed);
    EXPECT_EQ(canvas.At(10, 2), GrayLevel(100));
    EXPECT_EQ(canvas.At(10, 21), GrayLevel(130));
    EXPECT_EQ(canvas.At(20, 1), GrayLevel(115));
    EXPECT_EQ(canvas.At(1, 12), GrayLevel(115));
    EXPECT_EQ(canvas.At(20, 22), GrayLevel(211));
    EXPECT_EQ(canvas.At(55, 12), GrayLevel(52)) << "the right border covers the light bevel column";
    EXPECT_EQ(canvas.At(54, 12), GrayLevel(115)) << "between gradient and border the cleared base shows";
    EXPECT_EQ(canvas.At(10, 24), GrayLevel(73));
}

TEST_F(GradientBevel, HoverAndDisabledLookTheSameApartFromTheCaption) {
    Paint(kStateHover);
    EXPECT_EQ(canvas.At(10, 2), GrayLevel(255));
    EXPECT_EQ(canvas.At(10, 21), GrayLevel(240));
    EXPECT_EQ(canvas.At(20, 22), GrayLevel(255));
    EXPECT_EQ(canvas.At(10, 0), GrayLevel(192));
    EXPECT_EQ(canvas.At(0, 0), GrayLevel(255));
    const ColorRef hoverRow = canvas.At(10, 12);
    EXPECT_EQ(canvas.captions.back(), Rgb(0, 0, 0));

    core.Set(&ButtonProperties::Enabled, false);
    Paint(kStateNormal);
    EXPECT_EQ(core.Fields().ButtonState, kStateDisabled);
    EXPECT_EQ(canvas.At(10, 12), hoverRow);
    EXPECT_EQ(canvas.captions.back(), Rgb(109, 109, 109));
}

TEST_F(GradientBevel, TheNextPaintStartsFromTheBackgroundTheLastOneLeft) {
    Paint(kStateHover);
    EXPECT_EQ(core.Fields().SurfaceBackColor, ToOleColor(GrayLevel(255)));  // the hover base, face + 15
    core.Fields().IsShown = false;                                          // a hidden button only clears its surface
    Paint(kStateNormal);
    EXPECT_EQ(canvas.At(30, 12), GrayLevel(255));
}

TEST_F(GradientBevel, CustomColorsTakeTheFaceFromTheStateButTheBorderAlwaysFromBackColor) {
    core.Set(&ButtonProperties::UseCustomColors, true);
    core.Set(&ButtonProperties::BackColor, ToOleColor(Rgb(100, 150, 200)));
    core.Set(&ButtonProperties::HighlightColor, ToOleColor(Rgb(50, 60, 70)));
    core.Set(&ButtonProperties::FontColor, ToOleColor(Rgb(1, 1, 1)));
    core.Set(&ButtonProperties::FontHighlightColor, ToOleColor(Rgb(2, 2, 2)));

    Paint(kStateNormal);
    EXPECT_EQ(canvas.At(10, 2), Rgb(115, 165, 215));
    EXPECT_EQ(canvas.At(10, 0), Rgb(52, 102, 152));
    EXPECT_EQ(canvas.captions.back(), Rgb(1, 1, 1));

    Paint(kStateHover);
    EXPECT_EQ(canvas.At(10, 2), Rgb(65, 75, 85));
    EXPECT_EQ(canvas.At(10, 0), Rgb(52, 102, 152));
    EXPECT_EQ(canvas.captions.back(), Rgb(2, 2, 2));

    Paint(kStatePressed);
    EXPECT_EQ(canvas.At(10, 2), Rgb(35, 45, 55));
    EXPECT_EQ(canvas.captions.back(), Rgb(2, 2, 2));
}

TEST_F(GradientBevel, ShadingClampsAtEachStep) {
    site.face = Rgb(250, 10, 128);
    Paint(kStateHover);
    // base = face + 15 clamped, then + 15 again for the top row.
    EXPECT_EQ(canvas.At(10, 2), Rgb(255, 40, 158));
    EXPECT_EQ(canvas.At(10, 0), Rgb(202, 0, 80));
}

TEST(ButtonPaint, StateOverridesAreAppliedInOrderAndKept) {
    RecordingSite site;
    ButtonCore core(site);
    core.InitProperties();
    core.Set(&ButtonProperties::Style, StyleGradientBevel);
    core.Layout(kW, kH);
    RasterCanvas canvas(kW, kH);

    // Hidden: the surface is cleared and nothing else happens.
    core.Fields().ButtonState = kStateNormal;
    Paint(core, canvas, PaintInput{kW, kH, true});
    EXPECT_TRUE(canvas.captions.empty());

    core.Fields().IsShown = true;
    Paint(core, canvas, PaintInput{kW, kH, false});
    EXPECT_EQ(core.Fields().ButtonState, kStateHover) << "design time shows the hover look";

    core.Set(&ButtonProperties::ButtonType, ButtonCheck);
    core.Set(&ButtonProperties::Value, true);
    core.Fields().ButtonState = kStateHover;
    Paint(core, canvas, PaintInput{kW, kH, true});
    EXPECT_EQ(core.Fields().ButtonState, kStatePressed) << "a checked button shows pressed even under the pointer";

    core.Set(&ButtonProperties::Enabled, false);
    core.Fields().ButtonState = kStateHover;
    Paint(core, canvas, PaintInput{kW, kH, true});
    EXPECT_EQ(core.Fields().ButtonState, kStateDisabled) << "disabled wins over checked";
}

TEST(ButtonPaint, ThemedStyleFallsBackForGoodWhenThereIsNoVisualStyle) {
    RecordingSite site;
    ButtonCore core(site);
    core.InitProperties();
    core.Set(&ButtonProperties::NonThemeStyle, StyleGradientBevel);
    core.Set(&ButtonProperties::Style, StyleThemed);
    core.Fields().IsShown = true;
    RasterCanvas canvas(kW, kH);

    canvas.themeAvailable = true;
    EXPECT_FALSE(Paint(core, canvas, PaintInput{kW, kH, true}));
    EXPECT_EQ(core.Props().Style, StyleThemed);

    canvas.themeAvailable = false;
    EXPECT_TRUE(Paint(core, canvas, PaintInput{kW, kH, true}));
    EXPECT_EQ(core.Props().Style, StyleGradientBevel);
    EXPECT_EQ(canvas.captions.size(), 2u) << "the caption is drawn in the paint that fell back too";
    Paint(core, canvas, PaintInput{kW, kH, true});
    EXPECT_EQ(canvas.themedCalls, 2);
    EXPECT_EQ(canvas.At(10, 0), GrayLevel(192));
}

TEST(ButtonPaint, StyleWithoutRendererPaintsOnlyTheCaption) {
    RecordingSite site;
    ButtonCore core(site);
    core.InitProperties();
    core.Set(&ButtonProperties::Style, 42);
    core.Fields().IsShown = true;
    RasterCanvas canvas(kW, kH);
    Paint(core, canvas, PaintInput{kW, kH, true});
    for (Point p : {Point{0, 0}, Point{10, 2}, Point{56, 24}}) EXPECT_EQ(canvas.At(p.x, p.y), GrayLevel(240));
    EXPECT_EQ(canvas.captions.size(), 1u);
}

TEST(ButtonIcon, PlacementFollowsTheAlignmentAndMovesWhenPressed) {
    EXPECT_EQ(IconPosition(IconCenter, 16, 4, 57, 25), (Point{20, 4}));  // 20.5 and 4.5 round to even
    EXPECT_EQ(IconPosition(IconLeft, 16, 4, 57, 25), (Point{4, 4}));
    EXPECT_EQ(IconPosition(IconRight, 16, 4, 57, 25), (Point{37, 4}));
    EXPECT_EQ(IconPosition(IconTop, 16, 4, 57, 28), (Point{20, 4}));
    EXPECT_EQ(IconPosition(IconBottom, 16, 4, 57, 28), (Point{20, 8}));

    RecordingSite site;
    ButtonCore core(site);
    core.InitProperties();
    core.Set(&ButtonProperties::Style, StyleGradientBevel);
    auto icon = std::make_shared<PictureRef>();
    icon->handle = 1;
    core.Set(&ButtonProperties::Icon, icon);
    core.Set(&ButtonProperties::IconAlign, IconLeft);
    core.Fields().IsShown = true;
    RasterCanvas canvas(kW, kH);
    core.Fields().ButtonState = kStatePressed;
    Paint(core, canvas, PaintInput{kW, kH, true});
    ASSERT_EQ(canvas.icons.size(), 1u);
    EXPECT_EQ(canvas.icons[0], (Point{5, 5}));
}

TEST(ButtonIcon, EachStyleKeepsItsMargin) {
    const std::pair<int, int> margins[] = {{StyleEdge3D, 4}, {StyleHighlightTint, 4}, {StyleSkinned, 5},
                                           {StyleGlossy, 5}, {StyleGradientBevel, 4}, {StyleCapsule, 7},
                                           {StyleRounded, 7}};
    for (const auto& [style, margin] : margins) {
        RecordingSite site;
        ButtonCore core(site);
        core.InitProperties();
        core.Set(&ButtonProperties::Style, style);
        auto icon = std::make_shared<PictureRef>();
        icon->handle = 1;
        core.Set(&ButtonProperties::Icon, icon);
        core.Set(&ButtonProperties::IconAlign, IconRight);
        core.Layout(kW, kH);
        core.Fields().IsShown = true;
        RasterCanvas canvas(kW, kH);
        Paint(core, canvas, PaintInput{kW, kH, true});
        ASSERT_EQ(canvas.icons.size(), 1u);
        EXPECT_EQ(canvas.icons[0].x, kW - 16 - margin) << "style " << style;
    }
}

// Pixels of the other styles worked out by hand. The site's face is an odd (90, 20, 160), which a fixed palette
// must not follow and the surface shows where a shaped style leaves it; custom colours are back (100, 150, 200) and
// highlight (50, 60, 70). The rounded style cuts 6 pixels off both ends of its first and last rows; inside, its
// outline, then a white ring in the upper half.
TEST(ButtonPaint, EachStyleDrawsItsHandWorkedPixels) {
    constexpr ColorRef kFace = Rgb(90, 20, 160), kBack = Rgb(100, 150, 200);
    constexpr ColorRef kOutline = Rgb(112, 112, 122), kRing = Rgb(255, 255, 255);
    const struct {
        std::int32_t style;
        int state;
        Point at;
        ColorRef color;
        bool custom = false;
        bool focus = false;
    } pixels[] = {
        {StyleEdge3D, kStateNormal, {10, 10}, kBack, true},
        {StyleSkinned, kStateNormal, {2, 0}, Rgb(0, 60, 116)},
        {StyleSkinned, kStateNormal, {10, 3}, Rgb(250, 250, 249)},
        {StyleSkinned, kStateHover, {10, 1}, Rgb(255, 240, 207)},
        {StyleSkinned, kStatePressed, {10, 1}, Rgb(209, 204, 193)},
        {StyleSkinned, kStateDisabled, {10, 10}, Rgb(245, 244, 234)},
        {StyleSkinned, kStateNormal, {10, 23}, Rgb(105, 130, 238), false, true},  // the focus rim
        {StyleSkinned, kStatePressed, {10, 1}, Rgb(63, 113, 163), true},          // back - 37: dark at the top
        {StyleSkinned, kStateDisabled, {10, 10}, kBack, true},
        {StyleGlossy, kStateNormal, {10, 1}, Rgb(121, 171, 221), true},           // the glint: back + 21
        {StyleCapsule, kStateNormal, {6, 3}, Rgb(203, 133, 255)},                 // face - 15 + 128
        {StyleRounded, kStateNormal, {28, 12}, Rgb(232, 231, 234)},               // the middle at rest
        {StyleRounded, kStateNormal, {28, 12}, Rgb(225, 238, 251), false, true},  // focused: the hover picture's
        {StyleRounded, kStateNormal, {5, 0}, kFace},
        {StyleRounded, kStateNormal, {6, 0}, kOutline},
        {StyleRounded, kStateNormal, {51, 0}, kFace},
        {StyleRounded, kStateNormal, {10, 0}, kOutline},
        {StyleRounded, kStateNormal, {10, 1}, kRing},
        {StyleRounded, kStateNormal, {0, 10}, kOutline},
        {StyleRounded, kStateNormal, {1, 10}, kRing},
        {StyleRounded, kStateNormal, {10, 24}, kOutline},
    };
    for (const auto& p : pixels) {
        RecordingSite site;
        site.face = kFace;
        ButtonCore core(site);
        core.InitProperties();
        core.Set(&ButtonProperties::Style, p.style);
        core.Set(&ButtonProperties::UseCustomColors, p.custom);
        core.Set(&ButtonProperties::BackColor, ToOleColor(kBack));
        core.Set(&ButtonProperties::HighlightColor, ToOleColor(Rgb(50, 60, 70)));
        core.Layout(kW, kH);
        core.Fields().IsShown = true;
        core.Fields().ButtonState = p.state;
        core.Fields().HasFocus = p.focus;
        RasterCanvas canvas(kW, kH);
        Paint(core, canvas, PaintInput{kW, kH, true});
        EXPECT_EQ(canvas.At(p.at.x, p.at.y), p.color)
            << "style " << p.style << " state " << p.state << " at " << p.at.x << "," << p.at.y;
    }
}

TEST(ButtonColors, OperationsClampRoundAndTranslate) {
    EXPECT_EQ(Shift(Rgb(250, 5, 100), 10), Rgb(255, 15, 110));
    EXPECT_EQ(Shift(Rgb(250, 5, 100), -10), Rgb(240, 0, 90));
    EXPECT_EQ(Tint(Rgb(0, 255, 128), 100), Rgb(100, 255, 177));
    EXPECT_EQ(Blend(Rgb(1, 2, 0), Rgb(2, 3, 255)), Rgb(2, 2, 128));  // 1.5 -> 2, 2.5 -> 2, 127.5 -> 128
    EXPECT_EQ(Gray(Rgb(10, 20, 31)), Rgb(20, 20, 20));

    RecordingSite site;
    EXPECT_EQ(TranslateColor(kSystemColorFlag | kSysButtonFace, site.Colors()), Rgb(240, 240, 240));
    EXPECT_EQ(TranslateColor(ToOleColor(Rgb(1, 2, 3)), site.Colors()), Rgb(1, 2, 3));
    EXPECT_EQ(TranslateColor(0x80001234u, site.Colors()), kFailedColor);
}

TEST(ButtonColors, GrayConversionKeepsTheListedLevelsOnly) {
    for (int level : {0, 16, 32, 48, 64, 80, 96, 112, 128, 160, 176, 192, 208, 224, 240, 255})
        EXPECT_EQ(GrayscalePixel(GrayLevel(level)), GrayLevel(level)) << level;
    EXPECT_EQ(GrayscalePixel(GrayLevel(144)), GrayLevel(148));
    EXPECT_EQ(GrayscalePixel(GrayLevel(100)), GrayLevel(103));
    EXPECT_EQ(GrayscalePixel(Rgb(255, 255, 250)), GrayLevel(255));
    EXPECT_EQ(GrayscalePixel(Rgb(10, 20, 30)), GrayLevel(18));
}

TEST(ButtonPrimitives, GradientsAndLinesLeaveOutTheirEndPixel) {
    RasterCanvas canvas(10, 10);
    canvas.SetBackground(GrayLevel(7));
    VGrad(canvas, GrayLevel(0), GrayLevel(90), 1, 2, 5, 3);  // rows 2 to 5, columns 1 to 4
    EXPECT_EQ(canvas.At(1, 2), GrayLevel(0));
    EXPECT_EQ(canvas.At(4, 3), GrayLevel(30));
    EXPECT_EQ(canvas.At(4, 5), GrayLevel(90));
    EXPECT_EQ(canvas.At(5, 3), GrayLevel(7));
    EXPECT_EQ(canvas.At(1, 6), GrayLevel(7));

    canvas.SetBackground(GrayLevel(7));
    VGrad(canvas, GrayLevel(0), GrayLevel(90), 1, 2, 5, -1);
    EXPECT_EQ(canvas.At(1, 2), GrayLevel(7)) << "a negative row count draws nothing";
    VGrad(canvas, GrayLevel(50), GrayLevel(90), 1, 2, 5, 0);
    EXPECT_EQ(canvas.At(1, 2), GrayLevel(50)) << "one row in the first colour";

    canvas.SetBackground(GrayLevel(7));
    HGrad(canvas, GrayLevel(0), GrayLevel(40), 2, 1, 6, 4);  // columns 2 to 6, rows 1 to 3
    EXPECT_EQ(canvas.At(2, 1), GrayLevel(0));
    EXPECT_EQ(canvas.At(3, 3), GrayLevel(10));
    EXPECT_EQ(canvas.At(6, 1), GrayLevel(40));
    EXPECT_EQ(canvas.At(6, 4), GrayLevel(7));

    // Each channel rounds on its own, halves to even, from a single-precision step; only the step is single
    // precision: 255 + 11 x fl(-15/22) is just under 247.5 and must not be rounded up to a half first.
    EXPECT_EQ(GradientColor(Rgb(0, 0, 0), Rgb(1, 3, 5), 1, 2), Rgb(0, 2, 2));
    EXPECT_EQ(GradientColor(GrayLevel(255), GrayLevel(240), 11, 22), GrayLevel(247));

    // The horizontal gradient is exact per column: 240 to 13 over 14 columns is 126.5 at column 7, even 126.
    canvas.SetBackground(GrayLevel(7));
    HGrad(canvas, GrayLevel(240), GrayLevel(13), 0, 0, 14, 1);
    EXPECT_EQ(canvas.At(7, 0), GrayLevel(126));

    canvas.SetBackground(GrayLevel(7));
    Frame(canvas, 1, 1, 3, 2, GrayLevel(1));
    for (Point p : {Point{1, 1}, Point{4, 1}, Point{4, 3}, Point{1, 3}, Point{2, 3}})
        EXPECT_EQ(canvas.At(p.x, p.y), GrayLevel(1));
    EXPECT_EQ(canvas.At(2, 2), GrayLevel(7));
}

TEST(ButtonShape, StylesEightAndNineCutTheCorners) {
    const Shape shape = ShapeFor(StyleGradientBevel, 57, 25);
    EXPECT_EQ(shape.kind, Shape::Kind::Polygon);
    const std::vector<Point> expected{{0, 2}, {2, 0}, {54, 0}, {57, 3}, {57, 22}, {54, 25}, {4, 25}, {0, 21}};
    EXPECT_EQ(shape.points, expected);
    EXPECT_EQ(ShapeFor(StyleCapsule, 57, 25).points, expected);
    // Styles 5 and 7 cut one pixel off the top corners and two off the bottom ones.
    const std::vector<Point> skinned{{0, 1}, {1, 0}, {9, 0}, {10, 1}, {10, 8}, {8, 10}, {2, 10}, {0, 8}};
    EXPECT_EQ(ShapeFor(StyleSkinned, 10, 10).points, skinned);
    EXPECT_EQ(ShapeFor(StyleGlossy, 10, 10).points, skinned);
    const Shape rounded = ShapeFor(StyleRounded, 57, 25);
    EXPECT_EQ(rounded.kind, Shape::Kind::RoundRect);
    EXPECT_EQ(rounded.rect, (Rect{0, 0, 58, 26}));
    EXPECT_EQ(ShapeFor(StyleEdge3D, 57, 25).rect, (Rect{0, 0, 57, 25}));
}

// ---- at other scales: every size above is a size at 96 DPI, scaled from the edge it is measured from ----------

// A shown button of the main window's size at `dpi`, laid out there.
struct ScaledButton {
    ScaledButton(int dpi, std::int32_t style)
        : w(ScaleToDpi(kW, dpi)), h(ScaleToDpi(kH, dpi)), core(site), canvas(w, h) {
        site.dpi = dpi;
        core.InitProperties();
        core.Set(&ButtonProperties::Style, style);
        core.Layout(w, h);
        core.Fields().IsShown = true;
    }
    int w, h;
    RecordingSite site;
    ButtonCore core;
    RasterCanvas canvas;
};

TEST(ButtonScale, TheBevelItsShapeIconAndCaptionKeepTheirPlacesAgainstTheEdges) {
    for (int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        ScaledButton b(dpi, StyleGradientBevel);
        auto icon = std::make_shared<PictureRef>();
        icon->handle = 1;
        b.core.Set(&ButtonProperties::Icon, icon);
        b.core.Set(&ButtonProperties::IconAlign, IconRight);
        Paint(b.core, b.canvas, PaintInput{b.w, b.h, true});
        const int w = b.w, h = b.h, s1 = ScaleToDpi(1, dpi), s2 = ScaleToDpi(2, dpi), s3 = ScaleToDpi(3, dpi),
                  s4 = ScaleToDpi(4, dpi);
        // Down from the top: border, light bevel, gradient; up from the bottom: shadow, border, face-coloured
        // bevel, the gradient's last row; in from the right: shadow, border.
        const std::vector<std::pair<Point, int>> levels{
            {{w / 2, s1 - 1}, 192}, {{w / 2, s1}, 255},     {{w / 2, s2}, 255},     {{w / 2, h - 1}, 213},
            {{w / 2, h - s1}, 213}, {{w / 2, h - s2}, 192}, {{w / 2, h - s3}, 240}, {{w / 2, h - s4}, 225},
            {{w - s1, h / 2}, 213}, {{w - s2, h / 2}, 192}, {{s1 - 1, h / 2}, 192}, {{w - 1, h - s3}, 228}};
        for (const auto& [p, level] : levels) EXPECT_EQ(b.canvas.At(p.x, p.y), GrayLevel(level)) << p.x << "," << p.y;
        const std::vector<Point> cut{{0, s2},     {s2, 0},     {w - s3, 0}, {w, s3},
                                     {w, h - s3}, {w - s3, h}, {s4, h},     {0, h - s4}};
        EXPECT_EQ(ShapeAtDpi(StyleGradientBevel, w, h, dpi).points, cut);
        EXPECT_EQ(b.core.Fields().TextRect, (Rect{s4, s4, w - s4, h - s4}));
        const int size = ScaleToDpi(16, dpi);
        EXPECT_EQ(b.canvas.icons, (std::vector<Point>{{w - size - s4, static_cast<int>(Nearest((h - size) / 2.0))}}));
        EXPECT_EQ(b.canvas.iconSizes, std::vector<int>{size});
    }
    EXPECT_EQ(ShapeAtDpi(StyleRounded, 86, 38, 144).ellipse, 27);
}

TEST(ButtonScale, EdgesAreDrawnRingByRingAsThickAsAScaledPixel) {
    using Edge = RasterCanvas::EdgeCall;
    const int w = ScaleToDpi(kW, 144), h = ScaleToDpi(kH, 144);
    const struct {
        std::int32_t style;
        int state, dpi;
        std::vector<Edge> edges;  // from the outside in
    } cases[] = {
        {StyleEdge3D, kStateNormal, kBaseDpi, {{5, {0, 0, kW, kH}}}},
        {StyleEdge3D, kStateNormal, 144, {{1, {0, 0, w, h}}, {1, {1, 1, w - 1, h - 1}}, {4, {2, 2, w - 2, h - 2}}}},
        {StyleEdge3D, kStatePressed, 144, {{2, {0, 0, w, h}}, {2, {1, 1, w - 1, h - 1}}, {8, {2, 2, w - 2, h - 2}}}},
        {StyleThinEdge, kStateNormal, 144, {{4, {0, 0, w, h}}, {4, {1, 1, w - 1, h - 1}}}},
    };
    for (const auto& c : cases) {
        ScaledButton b(c.dpi, c.style);
        b.core.Fields().ButtonState = c.state;
        Paint(b.core, b.canvas, PaintInput{b.w, b.h, true});
        EXPECT_EQ(b.canvas.edges, c.edges) << "style " << c.style << " state " << c.state << " at " << c.dpi;
    }
    // The focus frame over the outer ring is as thick on every side, whichever way its lines run.
    ScaledButton b(144, StyleEdge3D);
    b.core.Set(&ButtonProperties::ShowFocus, true);
    b.core.Fields().HasFocus = true;
    Paint(b.core, b.canvas, PaintInput{b.w, b.h, true});
    for (const auto& [outer, inner] : {std::pair<Point, Point>{{w / 2, 1}, {w / 2, 2}},
                                       {{w / 2, h - 2}, {w / 2, h - 3}},
                                       {{1, h / 2}, {2, h / 2}},
                                       {{w - 2, h / 2}, {w - 3, h / 2}}}) {
        EXPECT_EQ(b.canvas.At(outer.x, outer.y), GrayLevel(0)) << outer.x << "," << outer.y;
        EXPECT_NE(b.canvas.At(inner.x, inner.y), GrayLevel(0)) << inner.x << "," << inner.y;
    }
}

}  // namespace
