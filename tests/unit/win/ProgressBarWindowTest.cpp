// The real progress bar control, rendered under Wine into a memory bitmap and read back pixel by pixel.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "controls/host/LayoutSet.h"
#include "controls/progressbar/win/ProgressBar.h"
#include "winmsg/win/PlatformFont.h"

namespace {

using namespace pixel_test;
namespace pb = progressbar;

// NicePressBar's size on the main window (6735 × 225 twips).
constexpr int kWidth = 449;
constexpr int kHeight = 15;

constexpr int kGradientTolerance = 1;  // Wine's GradientFill rounds its own way

Rgb3 Of(ColorRef c) {
    return {Red(c), Green(c), Blue(c)};
}

// Row y of an n-row GradientFill from start to end (halves up): the end colour itself is never painted.
Rgb3 Along(ColorRef start, ColorRef end, int y, int n) {
    auto channel = [&](int a, int b) { return (2 * (a * n + (b - a) * y) + n) / (2 * n); };
    return {channel(Red(start), Red(end)), channel(Green(start), Green(end)), channel(Blue(start), Blue(end))};
}

// Theme 8, the main window's: its colours are the drawing's tests' business, where they go this file's.
const pb::ThemeTable kTheme8 = [] {
    pb::ThemeTable table{};
    pb::FillThemeTable(8, {}, {}, table);
    return table;
}();

// The main window's layout as the program carries it, NicePressBar's set among it.
LayoutSet MainFormLayout() {
    std::ifstream file(VERDALY_LAYOUT_FILE, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return LayoutSet::Parse(text.str());
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[256]{};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

class ProgressBarWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(parent.Get(), nullptr) << "no window can be made here";
        ASSERT_NE(layout.Find(L"NicePressBar"), nullptr) << "no NicePressBar in " << VERDALY_LAYOUT_FILE;
    }

    ProgressBar& Make(int width = kWidth, int height = kHeight, const PropertyBag* set = nullptr,
                      HFONT containerFont = nullptr) {
        if (!set) set = layout.Find(L"NicePressBar");
        HostedControlArgs args;
        args.parent = parent.Get();
        args.id = 300;
        args.rect = {10, 10, 10 + width, 10 + height};
        args.name = L"NicePressBar";
        args.containerFont = containerFont;
        args.persisted = set == &kNew ? nullptr : set;
        hwnd = ProgressBar::Create(args);
        ProgressBar* bar = ProgressBar::FromHwnd(hwnd);
        EXPECT_NE(bar, nullptr);
        return *bar;
    }

    // Column 448 lies right of the outline (drawn to W − 1 exclusive), so every row there is pure gradient.
    void ExpectHalves(const Image& image, int x, ColorRef c1, ColorRef c2, ColorRef c3, ColorRef c4, int fromRow = 0,
                      int toRow = kHeight) {
        for (int y = fromRow; y < toRow; ++y) {
            const Rgb3 want = y < 8 ? Along(c1, c2, y, 8) : Along(c3, c4, y - 8, 7);
            EXPECT_TRUE(Near(image.At(x, y), want, kGradientTolerance))
                << "x " << x << " row " << y << ": " << image.At(x, y) << " want " << want;
        }
    }

    // Centred along one side: halves go to the even neighbour, as the platform rounds by default.
    static int Centered(int outer, int inner) { return static_cast<int>(std::lrint(outer / 2.0 - inner / 2.0 - 1)); }

    static inline const PropertyBag kNew{};
    const LayoutSet layout = MainFormLayout();
    ParentWindow parent;
    HWND hwnd = nullptr;
};

TEST_F(ProgressBarWindow, WindowTextHoldsTheCaptionItDraws) {
    ProgressBarModel& model = Make().Model();
    EXPECT_EQ(WindowText(hwnd), L"0%");
    model.SetValue(42);
    EXPECT_EQ(WindowText(hwnd), L"42%");
    model.Set(&ProgressBarProperties::Max, 3);  // Value follows Max down
    EXPECT_EQ(WindowText(hwnd), L"100%");
    model.SetValue(1);
    EXPECT_EQ(WindowText(hwnd), L"33.3333333333333%");
    model.Set(&ProgressBarProperties::TextStyle, 1);
    EXPECT_EQ(WindowText(hwnd), L"1");
    model.Set(&ProgressBarProperties::TextStyle, 3);
    EXPECT_EQ(WindowText(hwnd), L"NicePressBar");
    model.Set(&ProgressBarProperties::TextEffect, 0);  // no caption at all, whatever the style
    EXPECT_EQ(WindowText(hwnd), L"");
    model.Set(&ProgressBarProperties::TextEffect, 6);
    EXPECT_EQ(WindowText(hwnd), L"");
    model.Set(&ProgressBarProperties::TextEffect, 5);
    model.Set(&ProgressBarProperties::TextStyle, 0);
    EXPECT_EQ(WindowText(hwnd), L"");
}

TEST_F(ProgressBarWindow, FillReachesLengthLAndNeedsAValueOfAtLeastOne) {
    ProgressBarModel& model = Make().Model();
    const pb::ThemeTable& c = kTheme8;
    model.SetValue(42);  // L = nearest(449 × 0.42 = 188.58) = 189: columns 0 to 188
    Image image = Capture(hwnd);
    for (int y : {4, 10}) {
        const bool top = y < 8;
        const Rgb3 fill = top ? Along(c[pb::F1], c[pb::F2], y, 8) : Along(c[pb::F3], c[pb::F4], y - 8, 7);
        const Rgb3 back = top ? Along(c[pb::B1], c[pb::B2], y, 8) : Along(c[pb::B3], c[pb::B4], y - 8, 7);
        EXPECT_TRUE(Near(image.At(188, y), fill, kGradientTolerance)) << image.At(188, y) << " row " << y;
        EXPECT_TRUE(Near(image.At(189, y), back, kGradientTolerance)) << image.At(189, y) << " row " << y;
        EXPECT_TRUE(Near(image.At(60, y), fill, kGradientTolerance)) << image.At(60, y) << " row " << y;
    }

    model.SetValue(0);
    image = Capture(hwnd);
    EXPECT_TRUE(Near(image.At(3, 4), Along(c[pb::B1], c[pb::B2], 4, 8), kGradientTolerance)) << image.At(3, 4);
    EXPECT_TRUE(Near(image.At(60, 10), Along(c[pb::B3], c[pb::B4], 2, 7), kGradientTolerance)) << image.At(60, 10);

    model.SetValue(1);  // L = nearest(4.49) = 4
    image = Capture(hwnd);
    EXPECT_TRUE(Near(image.At(3, 4), Along(c[pb::F1], c[pb::F2], 4, 8), kGradientTolerance)) << image.At(3, 4);
    EXPECT_TRUE(Near(image.At(4, 4), Along(c[pb::B1], c[pb::B2], 4, 8), kGradientTolerance)) << image.At(4, 4);
}

TEST_F(ProgressBarWindow, ThemeEightHalvesSplitAtRowEight) {
    ProgressBarModel& model = Make().Model();
    const pb::ThemeTable& c = kTheme8;
    ExpectHalves(Capture(hwnd), 448, c[pb::B1], c[pb::B2], c[pb::B3], c[pb::B4]);
    model.SetValue(100);
    const Image full = Capture(hwnd);
    ExpectHalves(full, 448, c[pb::F1], c[pb::F2], c[pb::F3], c[pb::F4]);
    ExpectHalves(full, 100, c[pb::F1], c[pb::F2], c[pb::F3], c[pb::F4], 1, 13);  // inside the outline
    EXPECT_TRUE(Near(full.At(100, 14), Along(c[pb::F3], c[pb::F4], 6, 7), kGradientTolerance)) << full.At(100, 14);
}

TEST_F(ProgressBarWindow, OutlineIsDrawnInColorOToOnePixelShortOfTheEdges) {
    Make();
    const Image image = Capture(hwnd);
    const Rgb3 outline{23, 139, 211};
    EXPECT_EQ(image.At(100, 0), outline);
    EXPECT_EQ(image.At(100, 13), outline);
    EXPECT_EQ(image.At(0, 7), outline);
    EXPECT_EQ(image.At(447, 7), outline);
    EXPECT_NE(image.At(100, 14), outline);
    EXPECT_NE(image.At(448, 7), outline);
    EXPECT_NE(image.At(0, 0), outline);  // the corner is rounded off
}

TEST_F(ProgressBarWindow, WindowIsShapedByTheRoundedValue) {
    ProgressBarModel& model = Make().Model();
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(hwnd, region.Get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.Get(), 224, 7));
    EXPECT_TRUE(PtInRegion(region.Get(), 2, 7));
    model.Set(&ProgressBarProperties::RoundedValue, 0);
    ASSERT_NE(GetWindowRgn(hwnd, region.Get()), ERROR);
    EXPECT_TRUE(PtInRegion(region.Get(), 0, 0));
}

TEST_F(ProgressBarWindow, CustomThemeIsLightenedFromItsTwoColors) {
    ProgressBarModel& model = Make().Model();
    const ColorRef c1 = Rgb(200, 30, 10), c2 = Rgb(20, 100, 240);
    model.Set(&ProgressBarProperties::PBSCustomeColor1, ToOleColor(c1));
    model.Set(&ProgressBarProperties::PBSCustomeColor2, ToOleColor(c2));
    model.Set(&ProgressBarProperties::Theme, 10);
    Image image = Capture(hwnd);
    // B1..B4 = lighten(C2, 180), lighten(C2, 50), C2, lighten(C2, 80).
    ExpectHalves(image, 448, Rgb(200, 255, 255), Rgb(70, 150, 255), c2, Rgb(100, 180, 255));
    EXPECT_EQ(image.At(100, 0), Of(c1));

    model.SetValue(100);
    // F1..F4 = lighten(C1, 180), lighten(C1, 50), C1, lighten(C1, 80).
    ExpectHalves(Capture(hwnd), 448, Rgb(255, 210, 190), Rgb(250, 80, 60), c1, Rgb(255, 110, 90));

    model.Set(&ProgressBarProperties::Theme, 11);  // not a theme: the colours stay
    image = Capture(hwnd);
    EXPECT_EQ(image.At(100, 0), Of(c1));
    ExpectHalves(image, 448, Rgb(255, 210, 190), Rgb(250, 80, 60), c1, Rgb(255, 110, 90));
}

TEST_F(ProgressBarWindow, DisabledBarDrawsEveryColorInGray) {
    ProgressBarModel& model = Make().Model();
    model.Set(&ProgressBarProperties::TextForeColor, RGB(200, 101, 0));
    model.SetValue(50);
    Image image = Capture(hwnd);
    EXPECT_GT(image.Count({200, 101, 0}), 0);

    model.Set(&ProgressBarProperties::Enabled, false);
    image = Capture(hwnd);
    // Exact divisions: the outline 23,139,211 greys to 125, the caption 200,101,0 to 101, B1 250,253,254 to 253.
    EXPECT_EQ(image.At(100, 0), (Rgb3{125, 125, 125}));
    EXPECT_GT(image.Count({101, 101, 101}), 0);
    EXPECT_EQ(image.Count({200, 101, 0}), 0);
    ExpectHalves(image, 448, Rgb(253, 253, 253), Rgb(242, 242, 242), Rgb(227, 227, 227), Rgb(246, 246, 246));
    ExpectHalves(image, 20, Rgb(243, 243, 243), Rgb(177, 177, 177), Rgb(136, 136, 136), Rgb(179, 179, 179), 1, 13);

    // Nothing keeps a hue except the container's background where the rounded corners leave it showing.
    const Rgb3 back = FromColorRef(GetSysColor(COLOR_BTNFACE));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const Rgb3 p = image.At(x, y);
            if (p == back) continue;
            ASSERT_TRUE(p.r == p.g && p.g == p.b) << "pixel " << x << "," << y << " is " << p;
        }

    // A value that is no theme keeps the table as the last drawing left it, grey included, and redraws do not
    // grey it again: light greys would come out lighter each time.
    model.Set(&ProgressBarProperties::Theme, 11);
    const Rgb3 lightGray = Capture(hwnd).At(300, 3);
    EXPECT_GE(lightGray.r, 128);
    for (int value : {10, 20, 30, 40, 50}) model.SetValue(value);
    EXPECT_EQ(Capture(hwnd).At(300, 3), lightGray);
    model.Set(&ProgressBarProperties::Enabled, true);
    EXPECT_EQ(Capture(hwnd).At(100, 0), (Rgb3{125, 125, 125}));
    model.Set(&ProgressBarProperties::Theme, 8);
    EXPECT_EQ(Capture(hwnd).At(100, 0), (Rgb3{23, 139, 211}));
}

TEST_F(ProgressBarWindow, NotifiesTheSiteAndWritesItsSet) {
    ProgressBar& bar = Make();
    std::vector<std::wstring> heard;
    bar.Site().Subscribe([&heard](std::wstring_view name) { heard.emplace_back(name); });
    bar.Site().ClearChanged();
    bar.Model().SetValue(80);
    bar.Model().Set(&ProgressBarProperties::Max, 60);
    EXPECT_EQ(heard, (std::vector<std::wstring>{L"Value", L"Value", L"Max"}));
    EXPECT_TRUE(bar.Site().Changed());
    EXPECT_EQ(WindowText(hwnd), L"100%");

    PropertyBag written;
    bar.WriteProperties(written);
    std::vector<std::wstring> names;
    for (const auto& entry : written.Entries()) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Max", L"Value", L"Theme", L"TextStyle", L"TextFont", L"Text"}));
    EXPECT_EQ(*written.Raw(L"TextFont"), L"\"宋体\",9,400,0,0,0,134");
}

TEST_F(ProgressBarWindow, ANewInstanceTakesTheContainerFontAndItsOwnCaption) {
    UniqueFont font(CreateFontW(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    ProgressBar& bar = Make(kWidth, kHeight, &kNew, font.Get());
    EXPECT_EQ(bar.Model().Props().TextFont.Name, L"Tahoma");
    EXPECT_EQ(bar.Model().Props().TextFont.Weight, FW_BOLD);
    EXPECT_EQ(bar.Model().Props().TextFont, bar.Site().Ambient.Font);
    EXPECT_EQ(WindowText(hwnd), L"Q7MX ProgressBar");
    EXPECT_EQ(bar.Model().Props().Theme, 1);
    const Image image = Capture(hwnd);
    EXPECT_EQ(image.At(100, 0), (Rgb3{204, 168, 62}));  // theme 1's outline
}

// Pixels that belong to the caption: neither the surface's background nor the outline.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Box CaptionBox(const Image& image, const Rgb3& text) {
    Box box;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.At(x, y) == text) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

TEST_F(ProgressBarWindow, CaptionSitsWhereItsAlignmentCodeSays) {
    constexpr int w = 200, h = 60;
    ProgressBar& bar = Make(w, h);
    ProgressBarModel& model = bar.Model();
    model.Set(&ProgressBarProperties::Orientations, 0);  // no bar: only the outline and the caption
    model.Set(&ProgressBarProperties::TextStyle, 3);
    model.Set(&ProgressBarProperties::Text, L"Ag");
    model.Set(&ProgressBarProperties::TextForeColor, RGB(255, 0, 0));
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32W(bar.Surface().Dc(), L"Ag", 2, &extent));
    const int tw = extent.cx, th = extent.cy;
    const Rgb3 red{255, 0, 0};

    model.Set(&ProgressBarProperties::TextAlignment, 1);
    const Box origin = CaptionBox(Capture(hwnd), red);
    ASSERT_GE(origin.right, 0) << "no caption pixels";
    EXPECT_GE(origin.left, 1);
    EXPECT_LT(origin.right, 1 + tw);
    EXPECT_GE(origin.top, 0);
    EXPECT_LT(origin.bottom, th);

    const int columns[3] = {1, Centered(w, tw), w - tw - 3};
    const int rows[3] = {0, Centered(h, th), h - th - 1};
    for (int code = 2; code <= 9; ++code) {
        model.Set(&ProgressBarProperties::TextAlignment, code);
        const Box box = CaptionBox(Capture(hwnd), red);
        EXPECT_EQ(box.left - origin.left, columns[(code - 1) / 3] - 1) << "code " << code;
        EXPECT_EQ(box.top - origin.top, rows[(code - 1) % 3]) << "code " << code;
    }
    model.Set(&ProgressBarProperties::TextAlignment, 0);  // the surface's top-left corner
    const Box corner = CaptionBox(Capture(hwnd), red);
    EXPECT_EQ(corner.left, origin.left - 1);
    EXPECT_EQ(corner.top, origin.top);
}

TEST_F(ProgressBarWindow, EffectCopiesAreDrawnInOrderWithTheCaptionOnTop) {
    constexpr int w = 120, h = 40;
    ProgressBar& bar = Make(w, h);
    ProgressBarModel& model = bar.Model();
    model.Set(&ProgressBarProperties::Orientations, 0);
    model.Set(&ProgressBarProperties::TextStyle, 3);
    model.Set(&ProgressBarProperties::Text, L"HX");
    const COLORREF text = RGB(255, 0, 0), effect = RGB(0, 160, 0), gray = RGB(128, 128, 128);
    model.Set(&ProgressBarProperties::TextForeColor, text);
    model.Set(&ProgressBarProperties::TextEffectColor, effect);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32W(bar.Surface().Dc(), L"HX", 2, &extent));
    const Point at{Centered(w, extent.cx), Centered(h, extent.cy)};
    UniqueFont font = CreatePlatformFont(model.Props().TextFont, bar.Dpi(), FontRules::Control);

    struct Copy {
        int dx, dy;
        COLORREF color;
    };
    // The bar without a caption, then the caption's copies drawn by hand in the order given. Glyph edges are
    // smoothed, so only drawing the same copies in the same order gives the same pixels.
    auto expected = [&](const std::vector<Copy>& copies) {
        model.Set(&ProgressBarProperties::TextEffect, 0);
        MemoryCanvas canvas(w, h);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        SelectGuard selected(canvas.Dc(), font.Get());
        SetBkMode(canvas.Dc(), TRANSPARENT);
        for (const Copy& copy : copies) {
            SetTextColor(canvas.Dc(), copy.color);
            TextOutW(canvas.Dc(), at.x + copy.dx, at.y + copy.dy, L"HX", 2);
        }
        return canvas.Read();
    };
    auto differing = [&](const Image& a, const Image& b) {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) n += !(a.At(x, y) == b.At(x, y));
        return n;
    };
    auto check = [&](int effectCode, const std::vector<Copy>& copies) {
        const Image want = expected(copies);
        model.Set(&ProgressBarProperties::TextEffect, effectCode);
        const Image got = Capture(hwnd);
        EXPECT_EQ(differing(got, want), 0) << "effect " << effectCode;
        return got;
    };
    const Image plain = check(1, {{0, 0, text}});
    EXPECT_GT(differing(plain, expected({})), 20);  // the caption is there at all
    check(2, {{-1, -1, effect}, {1, 1, gray}, {0, 0, text}});
    check(3, {{1, 1, effect}, {-1, 0, gray}, {0, 0, text}});
    check(4, {{1, 0, effect}, {-1, 0, effect}, {0, -1, effect}, {0, 1, effect}, {0, 0, text}});
    const Image shadow = check(5, {{1, 1, effect}, {0, 0, text}});

    // The order matters: the other way round, the effect would cover the caption.
    EXPECT_GT(differing(shadow, expected({{0, 0, text}, {1, 1, effect}})), 0);
}

TEST(ProgressBarGradients, TwoColorTakesCornerCoordinatesNotExtents) {
    MemoryCanvas canvas(12, 12);
    ASSERT_TRUE(canvas.Ok());
    ProgressBar::GradientTwoColor(canvas.Dc(), 1, Rgb(255, 0, 0), Rgb(0, 0, 255), 2, 3, 6, 7);
    Image image = canvas.Read();
    const Rgb3 white{255, 255, 255};
    EXPECT_TRUE(Near(image.At(2, 3), {255, 0, 0}, kGradientTolerance)) << image.At(2, 3);
    EXPECT_TRUE(Near(image.At(5, 6), Along(Rgb(255, 0, 0), Rgb(0, 0, 255), 3, 4), kGradientTolerance))
        << image.At(5, 6);
    EXPECT_EQ(image.At(5, 3), image.At(2, 3));  // top to bottom: rows are one colour
    EXPECT_EQ(image.At(6, 3), white);
    EXPECT_EQ(image.At(2, 7), white);
    EXPECT_EQ(image.At(1, 3), white);
    EXPECT_EQ(image.At(2, 2), white);

    MemoryCanvas across(12, 12);
    ProgressBar::GradientTwoColor(across.Dc(), 0, Rgb(0, 0, 0), Rgb(0, 200, 0), 0, 0, 4, 2);
    image = across.Read();
    EXPECT_TRUE(Near(image.At(3, 0), Along(Rgb(0, 0, 0), Rgb(0, 200, 0), 3, 4), kGradientTolerance)) << image.At(3, 0);
    EXPECT_EQ(image.At(3, 1), image.At(3, 0));

    MemoryCanvas other(12, 12);
    ProgressBar::GradientTwoColor(other.Dc(), 2, Rgb(0, 0, 0), Rgb(0, 0, 0), 0, 0, 12, 12);
    EXPECT_EQ(other.Read().Count(white), 144);
}

TEST(ProgressBarGradients, FourColorRowsEndOneStepShortOfTheBottomColors) {
    MemoryCanvas canvas(8, 6);
    ASSERT_TRUE(canvas.Ok());
    ProgressBar::DrawGradientFourColor(canvas.Dc(), 1, 1, 4, 3, Rgb(0, 0, 0), Rgb(200, 0, 0), Rgb(0, 0, 120),
                                       Rgb(200, 0, 120));
    const Image image = canvas.Read();
    EXPECT_EQ(image.At(1, 1), (Rgb3{0, 0, 0}));
    EXPECT_EQ(image.At(4, 1), (Rgb3{150, 0, 0}));  // 3 of 4 steps towards 200
    EXPECT_EQ(image.At(1, 2), (Rgb3{0, 0, 40}));   // 1 of 3 steps towards 120
    EXPECT_EQ(image.At(1, 3), (Rgb3{0, 0, 80}));   // the last row: 2 of 3 steps
    EXPECT_EQ(image.At(4, 3), (Rgb3{150, 0, 80}));
    EXPECT_EQ(image.At(5, 1), (Rgb3{255, 255, 255}));
    EXPECT_EQ(image.At(1, 4), (Rgb3{255, 255, 255}));

    // An odd width pads each row to whole words; every pixel still lands in place.
    MemoryCanvas odd(6, 2);
    ProgressBar::DrawGradientFourColor(odd.Dc(), 0, 0, 5, 2, Rgb(0, 0, 0), Rgb(0, 250, 0), Rgb(0, 0, 0),
                                       Rgb(0, 250, 0));
    const Image oddImage = odd.Read();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(oddImage.At(x, y), (Rgb3{0, 50 * x, 0})) << x << "," << y;
    EXPECT_EQ(oddImage.At(5, 0), (Rgb3{255, 255, 255}));
}

}  // namespace
