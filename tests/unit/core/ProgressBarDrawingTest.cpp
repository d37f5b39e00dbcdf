#include <gtest/gtest.h>

#include <vector>

#include "controls/progressbar/ProgressBarDrawing.h"
#include "controls/progressbar/ProgressBarModel.h"

namespace {

using namespace progressbar;

TEST(ProgressBarDrawing, GrayUsesExactDivisionsSoGreenAndBlueCanComeOutOneHigher) {
    // Outline of theme 8: (23 + 139.09→139 + 211.54→212) / 3 = 124.67 → 125 (the pure mean would be 124).
    EXPECT_EQ(Gray(Rgb(23, 139, 211)), Rgb(125, 125, 125));
    // Red above 128 pushes green up: 200, 101.78→102, 0 → 100.67 → 101 (pure 100.33 → 100).
    EXPECT_EQ(Gray(Rgb(200, 101, 0)), Rgb(101, 101, 101));
    // Red exactly 128 makes green x.5, which goes to the even neighbour.
    EXPECT_EQ(Gray(Rgb(128, 3, 0)), Rgb(44, 44, 44));  // 3.5 → 4
    EXPECT_EQ(Gray(Rgb(128, 4, 0)), Rgb(44, 44, 44));  // 4.5 → 4
    EXPECT_EQ(Gray(Rgb(128, 6, 0)), Rgb(45, 45, 45));  // 6.5 → 6, (128 + 6) / 3 = 44.67
    // White: 255, 256, 256 → 255.67 → 256, capped.
    EXPECT_EQ(Gray(Rgb(255, 255, 255)), Rgb(255, 255, 255));
    EXPECT_EQ(Gray(Rgb(0, 0, 0)), Rgb(0, 0, 0));
    EXPECT_EQ(Gray(Rgb(3, 0, 0)), Rgb(1, 1, 1));
}

TEST(ProgressBarDrawing, LightenAddsToEachChannelAndCapsAt255) {
    EXPECT_EQ(Lighten(Rgb(10, 100, 200), 50), Rgb(60, 150, 250));
    EXPECT_EQ(Lighten(Rgb(10, 100, 200), 80), Rgb(90, 180, 255));
    EXPECT_EQ(Lighten(Rgb(10, 100, 200), -20), Rgb(10, 80, 180));  // |10 - 20|
}

TEST(ProgressBarDrawing, ThemesOneToNineAreFixedAndTenIsLightenedFromTheCustomColors) {
    // A few entries of the fixed themes, each theme's outline among them: a theme out of place shows.
    const struct {
        int theme;
        ThemeSlot slot;
        ColorRef color;
    } entries[] = {{1, O, Rgb(204, 168, 62)}, {3, O, Rgb(62, 204, 74)},    {4, F2, Rgb(133, 239, 230)},
                   {6, O, Rgb(204, 62, 192)}, {7, F4, Rgb(237, 187, 187)}, {8, B1, Rgb(250, 253, 254)},
                   {8, O, Rgb(23, 139, 211)}, {9, O, Rgb(188, 184, 188)}};
    for (const auto& e : entries) {
        ThemeTable table{};
        ASSERT_TRUE(FillThemeTable(e.theme, Rgb(1, 2, 3), Rgb(4, 5, 6), table));
        EXPECT_EQ(table[e.slot], e.color) << "theme " << e.theme << " slot " << e.slot;
    }

    ThemeTable table{};
    const ColorRef c1 = Rgb(200, 30, 10), c2 = Rgb(20, 100, 240);
    ASSERT_TRUE(FillThemeTable(10, c1, c2, table));
    // B1 to B4 are C2 lightened by 180, 50, 0 and 80, F1 to F4 C1 likewise; the outline is C1.
    const ThemeTable custom{{Rgb(200, 255, 255), Rgb(70, 150, 255), c2, Rgb(100, 180, 255), Rgb(255, 210, 190),
                             Rgb(250, 80, 60), c1, Rgb(255, 110, 90), c1}};
    EXPECT_EQ(table, custom);
}

TEST(ProgressBarDrawing, AnUnknownThemeKeepsTheColorsTheTableHeld) {
    ThemeTable table{};
    EXPECT_FALSE(FillThemeTable(11, {}, {}, table));
    EXPECT_EQ(table, ThemeTable{});  // a bar that never had a theme stays black
    ASSERT_TRUE(FillThemeTable(3, {}, {}, table));
    const ThemeTable three = table;
    EXPECT_FALSE(FillThemeTable(0, {}, {}, table));
    EXPECT_FALSE(FillThemeTable(-8, {}, {}, table));
    EXPECT_EQ(table, three);
}

TEST(ProgressBarDrawing, PercentageIsWrittenWithUpToFifteenSignificantDigits) {
    EXPECT_EQ(FormatNumber(Percentage(1, 3)), L"33.3333333333333");
    EXPECT_EQ(FormatNumber(Percentage(2, 3)), L"66.6666666666667");
    EXPECT_EQ(FormatNumber(Percentage(42, 100)), L"42");
    EXPECT_EQ(FormatNumber(Percentage(0, 100)), L"0");
    EXPECT_EQ(FormatNumber(Percentage(1, 8)), L"12.5");
    EXPECT_EQ(FormatNumber(12.5, L','), L"12,5");
    EXPECT_EQ(FormatNumber(Percentage(1, 2147483647)), L"4.6566128752458E-08");
}

TEST(ProgressBarDrawing, CaptionFollowsTextStyle) {
    ProgressBarModel model;
    model.InitProperties(DefaultControlFont());
    model.Set(&ProgressBarProperties::Max, 3);
    model.SetValue(1);
    model.Set(&ProgressBarProperties::Min, 1);  // Min plays no part in the percentage
    model.Set(&ProgressBarProperties::Text, L"下载");
    model.Set(&ProgressBarProperties::TextStyle, 1);
    EXPECT_EQ(CaptionText(model), L"1");
    model.Set(&ProgressBarProperties::TextStyle, 2);
    EXPECT_EQ(CaptionText(model), L"33.3333333333333%");
    model.Set(&ProgressBarProperties::TextStyle, 3);
    EXPECT_EQ(CaptionText(model), L"下载");
    model.Set(&ProgressBarProperties::TextStyle, 0);
    EXPECT_FALSE(CaptionText(model).has_value());
    model.Set(&ProgressBarProperties::TextStyle, 4);
    EXPECT_FALSE(CaptionText(model).has_value());
}

// A model in the main window's shape: horizontal, 0..100.
ProgressBarModel Bar(int value, int orientation = 1, int max = 100) {
    ProgressBarModel model;
    model.InitProperties(DefaultControlFont());
    model.Set(&ProgressBarProperties::Max, max);
    model.SetValue(value);
    model.Set(&ProgressBarProperties::Orientations, orientation);
    return model;
}

// The plan only passes colours on: slot i holds i + 1, so each rectangle shows which slots it took.
constexpr ThemeTable kSlots{{{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {9}}};

void ExpectRect(const GradientRect& r, int direction, ColorRef start, ColorRef end, int left, int top, int right,
                int bottom) {
    EXPECT_EQ(r.direction, direction);
    EXPECT_EQ(r.start, start);
    EXPECT_EQ(r.end, end);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(ProgressBarDrawing, HorizontalBarIsTwoHalvesWithTheFillUpToL) {
    const ThemeTable& c = kSlots;
    const BarPlan plan = PlanBar(Bar(42), 449, 15, c);
    ASSERT_EQ(plan.count, 4);
    EXPECT_EQ(plan.fillLength, 189);  // nearest(449 × 42 ÷ 100 = 188.58)
    // M = nearest(7.5) = 8; right and bottom are corners, not extents.
    ExpectRect(plan.rects[0], 1, c[B1], c[B2], 0, 0, 449, 8);
    ExpectRect(plan.rects[1], 1, c[B3], c[B4], 0, 8, 449, 15);
    ExpectRect(plan.rects[2], 1, c[F1], c[F2], 0, 0, 189, 8);
    ExpectRect(plan.rects[3], 1, c[F3], c[F4], 0, 8, 189, 15);

    EXPECT_EQ(PlanBar(Bar(42), 449, 13, c).rects[1].top, 6);  // nearest(6.5) = 6
}

TEST(ProgressBarDrawing, FillDependsOnValueAtLeastOneNotOnLength) {
    const ThemeTable& c = kSlots;
    EXPECT_EQ(PlanBar(Bar(0), 100, 15, c).count, 2);  // background only
    const BarPlan tiny = PlanBar(Bar(1, 1, 1000), 100, 15, c);
    ASSERT_EQ(tiny.count, 4);  // a fill call of length 0 all the same
    EXPECT_EQ(tiny.rects[2].right, 0);
    EXPECT_EQ(tiny.fillLength, 0);

    ProgressBarModel ranged = Bar(20);
    ranged.Set(&ProgressBarProperties::Min, 20);
    EXPECT_EQ(PlanBar(ranged, 200, 15, c).fillLength, 40);  // Value ÷ Max, not (Value − Min) ÷ (Max − Min)
}

TEST(ProgressBarDrawing, VerticalBarFillsFromTheTopInLeftAndRightHalves) {
    const ThemeTable& c = kSlots;
    const BarPlan plan = PlanBar(Bar(25, 2), 15, 200, c);
    ASSERT_EQ(plan.count, 4);
    EXPECT_EQ(plan.fillLength, 50);
    ExpectRect(plan.rects[0], 0, c[B1], c[B2], 0, 0, 8, 200);
    ExpectRect(plan.rects[1], 0, c[B3], c[B4], 8, 0, 15, 200);
    ExpectRect(plan.rects[2], 0, c[F1], c[F2], 0, 0, 8, 50);
    ExpectRect(plan.rects[3], 0, c[F3], c[F4], 8, 0, 15, 50);

    EXPECT_EQ(PlanBar(Bar(25, 3), 15, 200, c).count, 0);
    EXPECT_EQ(PlanBar(Bar(25, 0), 15, 200, c).count, 0);
}

TEST(ProgressBarDrawing, TextPositionForEachAlignmentCode) {
    // 100 × 40 surface, 21 × 12 text.
    const int w = 100, h = 40, tw = 21, th = 12;
    EXPECT_EQ(TextPosition(1, w, h, tw, th), (Point{1, 0}));
    EXPECT_EQ(TextPosition(2, w, h, tw, th), (Point{1, 13}));  // 20 − 6 − 1
    EXPECT_EQ(TextPosition(3, w, h, tw, th), (Point{1, 27}));  // 40 − 12 − 1
    EXPECT_EQ(TextPosition(4, w, h, tw, th), (Point{38, 0}));  // 38.5 → 38
    EXPECT_EQ(TextPosition(5, w, h, tw, th), (Point{38, 13}));
    EXPECT_EQ(TextPosition(6, w, h, tw, th), (Point{38, 27}));
    EXPECT_EQ(TextPosition(7, w, h, tw, th), (Point{76, 0}));  // 100 − 21 − 3
    EXPECT_EQ(TextPosition(8, w, h, tw, th), (Point{76, 13}));
    EXPECT_EQ(TextPosition(9, w, h, tw, th), (Point{76, 27}));
    EXPECT_EQ(TextPosition(0, w, h, tw, th), (Point{0, 0}));
    EXPECT_EQ(TextPosition(10, w, h, tw, th), (Point{0, 0}));
    // Odd heights: 15 ÷ 2 − 13 ÷ 2 − 1 = −0.5 → 0; 15 ÷ 2 − 11 ÷ 2 − 1 = 1.
    EXPECT_EQ(TextPosition(5, 449, 15, 24, 13).y, 0);
    EXPECT_EQ(TextPosition(5, 449, 15, 24, 11).y, 1);
    EXPECT_EQ(TextPosition(5, 449, 15, 25, 11).x, 211);  // 224.5 − 12.5 − 1
    EXPECT_EQ(TextPosition(5, 449, 15, 24, 11).x, 212);  // 211.5 → even
}

TEST(ProgressBarDrawing, EachTextEffectDrawsItsCopiesBeforeTheText) {
    const Point at{10, 20};
    const ColorRef text = Rgb(1, 1, 1), effect = Rgb(9, 9, 9), gray = Rgb(128, 128, 128);
    const struct {
        int effect;
        std::vector<TextCopy> copies;
    } cases[] = {
        {1, {{{10, 20}, text}}},
        {2, {{{9, 19}, effect}, {{11, 21}, gray}, {{10, 20}, text}}},
        {3, {{{11, 21}, effect}, {{9, 20}, gray}, {{10, 20}, text}}},
        {4, {{{11, 20}, effect}, {{9, 20}, effect}, {{10, 19}, effect}, {{10, 21}, effect}, {{10, 20}, text}}},
        {5, {{{11, 21}, effect}, {{10, 20}, text}}},
        {0, {}},
        {6, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        const EffectCopies got = CopiesForEffect(c.effect, at, text, effect);
        ASSERT_EQ(got.count, static_cast<int>(c.copies.size())) << "effect " << c.effect;
        for (int i = 0; i < got.count; ++i) {
            const TextCopy& copy = got.copies[static_cast<size_t>(i)];
            const TextCopy& want = c.copies[static_cast<size_t>(i)];
            EXPECT_EQ(copy.at, want.at) << "effect " << c.effect << " copy " << i;
            EXPECT_EQ(copy.color, want.color) << "effect " << c.effect << " copy " << i;
        }
    }
}

TEST(ProgressBarDrawing, CaptionMarginsAndEffectOffsetsAreScaledPixels) {
    // A 30 x 13 caption on a 150 x 33 bar at 144 DPI: the margins 1 and 3 become 2 and 5, the effect's pixel 2.
    const struct {
        int alignment;
        Point at;
    } positions[] = {{1, {2, 0}}, {5, {58, 8}}, {9, {115, 18}}, {2, {2, 8}}};
    for (const auto& p : positions) EXPECT_EQ(TextPosition(p.alignment, 150, 33, 30, 13, 144), p.at) << p.alignment;

    const ColorRef text = Rgb(1, 1, 1), effect = Rgb(9, 9, 9);
    const EffectCopies outline = CopiesForEffect(4, Point{10, 20}, text, effect, 144);
    ASSERT_EQ(outline.count, 5);
    const Point expected[] = {{12, 20}, {8, 20}, {10, 18}, {10, 22}, {10, 20}};
    for (int i = 0; i < outline.count; ++i) EXPECT_EQ(outline.copies[static_cast<size_t>(i)].at, expected[i]) << i;
    EXPECT_EQ(CopiesForEffect(2, Point{10, 20}, text, effect, 192).copies[0].at, (Point{8, 18}));
}

}  // namespace
