// The button's styles as its window shows them: made from a persisted set and put into each state by the stage of
// verdaly-buttonshot, then printed. Captions are empty so every pixel is the style's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ButtonPaint.h"
#include "ButtonShot.h"
#include "HostTestSupport.h"
#include "isButton.h"

namespace {

using namespace pixel_test;
using button::Shift;

constexpr int kW = 57;
constexpr int kH = 25;

Rgb3 Rgb(int r, int g, int b) {
    return {r, g, b};
}
Rgb3 Of(COLORREF c) {
    return FromColorRef(c);
}
Rgb3 Sys(int index) {
    return Of(GetSysColor(index));
}
Rgb3 SysShift(int index, int d) {
    return Of(Shift(GetSysColor(index), d));
}

struct Pixel {
    int x, y;
    Rgb3 colour;
};

class ButtonStyles : public ::testing::Test {
protected:
    // The button of `style` with the extra entries, in `state`, with the focus or not.
    HWND Make(int style, int state, bool focus = false, PropertyBag set = {}) {
        set.WriteInt(L"Style", style);
        set.WriteText(L"Caption", L"");
        button = stage.Place(set, L"NBtnStyle", kW, kH);
        EXPECT_NE(button, nullptr);
        EXPECT_TRUE(stage.Pose(state, focus)) << "style " << style << " state " << state;
        return button;
    }
    Image Shot(int style, int state, bool focus = false, PropertyBag set = {}) {
        return Capture(Make(style, state, focus, std::move(set)));
    }
    static void Expect(const Image& image, const std::vector<Pixel>& pixels, const char* what) {
        for (const Pixel& p : pixels) EXPECT_EQ(image.At(p.x, p.y), p.colour) << what << " at " << p.x << "," << p.y;
    }
    bool InShape(int x, int y) const {
        UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(button, region.Get()) != ERROR && PtInRegion(region.Get(), x, y);
    }

    ButtonStage stage;
    HWND button = nullptr;
};

TEST_F(ButtonStyles, Edge3DIsRaisedOrSunkenAndFramesTheDefaultButtonAndTheFocusAskedFor) {
    const Rgb3 black{0, 0, 0};
    Expect(Shot(0, 1),
           {{0, 0, Sys(COLOR_3DLIGHT)},
            {1, 1, Sys(COLOR_3DHILIGHT)},
            {kW - 1, kH - 1, Sys(COLOR_3DDKSHADOW)},
            {kW - 2, kH - 2, Sys(COLOR_3DSHADOW)}},
           "raised");
    Expect(Shot(0, 3),
           {{0, 0, Sys(COLOR_3DSHADOW)},
            {1, 1, Sys(COLOR_3DDKSHADOW)},
            {kW - 1, kH - 1, Sys(COLOR_3DHILIGHT)},
            {kW - 2, kH - 2, Sys(COLOR_3DLIGHT)}},
           "sunken");
    EXPECT_EQ(Shot(0, 1, true).At(0, 0), Sys(COLOR_3DLIGHT)) << "ShowFocus false: no frame";
    PropertyBag showFocus;
    showFocus.WriteBool(L"ShowFocus", true);
    Expect(Shot(0, 1, true, showFocus), {{0, 0, black}, {kW - 1, kH - 1, black}, {kW - 1, 0, black}}, "focus");

    // The container marks the button as its default: the frame comes at once, and goes with the marking.
    isButton& b = *isButton::FromHwnd(Make(0, 1));
    b.SetAmbientDisplayAsDefault(true);
    Expect(Capture(button), {{0, 0, black}, {kW - 1, kH - 1, black}, {0, kH - 1, black}}, "default");
    SetFocus(button);
    EXPECT_EQ(Capture(button).At(0, 0), Sys(COLOR_3DLIGHT)) << "a focused default button follows ShowFocus";
    SetFocus(nullptr);
    b.SetAmbientDisplayAsDefault(false);
    EXPECT_EQ(Capture(button).At(0, 0), Sys(COLOR_3DLIGHT));
}

TEST_F(ButtonStyles, ThinEdgeAndFlatHoverAreFlatWhereTheyShouldBe) {
    const Rgb3 face = Sys(COLOR_BTNFACE);
    struct Case {
        int style, state;
        Rgb3 topLeft, bottomRight;
    } cases[] = {
        {1, 1, Sys(COLOR_3DHILIGHT), Sys(COLOR_3DSHADOW)},
        {1, 3, Sys(COLOR_3DSHADOW), Sys(COLOR_3DHILIGHT)},
        {1, 4, face, face},  // flat
        {2, 1, face, face},  // flat until hovered
        {2, 2, Sys(COLOR_3DHILIGHT), Sys(COLOR_3DSHADOW)},
        {2, 3, Sys(COLOR_3DSHADOW), Sys(COLOR_3DHILIGHT)},
        {2, 4, face, face},
    };
    for (const Case& c : cases) {
        const Image image = Shot(c.style, c.state);
        const std::string what = "style " + std::to_string(c.style) + " state " + std::to_string(c.state);
        Expect(image, {{0, 0, c.topLeft}, {kW - 1, kH - 1, c.bottomRight}, {kW / 2, kH / 2, face}}, what.c_str());
        if (c.topLeft == face) EXPECT_EQ(image.Count(face), kW * kH) << what;
    }
}

TEST_F(ButtonStyles, DoubleFrameHasTwoFramesBlendedCornersAndTheStateInItsTextRectangle) {
    const Rgb3 s = Sys(COLOR_BTNSHADOW), w = Sys(COLOR_WINDOW), face = Sys(COLOR_BTNFACE);
    const Rgb3 blend = Of(button::Blend(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNSHADOW)));
    Expect(Shot(3, 1),
           {{0, 0, s},
            {kW - 2, 0, s},
            {0, kH - 2, s},
            {1, 1, w},
            {kW - 1, kH - 1, w},
            {kW - 1, 5, w},
            {kW - 1, 0, face},
            {0, kH - 1, face},
            {kW - 2, 1, blend},
            {1, kH - 2, blend},
            {2, 2, face}},
           "rest");
    Expect(Shot(3, 3), {{4, 4, s}, {kW - 5, kH - 5, s}, {3, 3, face}, {kW - 4, kH - 4, face}, {kW - 1, 0, s}},
           "pressed");
}

// An opaque size x size icon in one colour.
HICON SolidIcon(int size, COLORREF colour) {
    WindowDC screen(nullptr);
    UniqueBitmap image(CreateCompatibleBitmap(screen.Get(), size, size));
    UniqueBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
    UniqueMemDC dc(CreateCompatibleDC(screen.Get()));
    {
        SelectGuard select(dc.Get(), image.Get());
        UniqueBrush brush(CreateSolidBrush(colour));
        const RECT all{0, 0, size, size};
        FillRect(dc.Get(), &all, brush.Get());
    }
    {
        SelectGuard select(dc.Get(), mask.Get());
        PatBlt(dc.Get(), 0, 0, size, size, BLACKNESS);
    }
    ICONINFO info{TRUE, 0, 0, mask.Get(), image.Get()};
    return CreateIconIndirect(&info);
}

TEST_F(ButtonStyles, HighlightTintTintsTheFaceAndLiftsTheIconOverItsShadowOnHover) {
    const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    const Image rest = Shot(4, 1);
    EXPECT_EQ(rest.Count(Of(button::Tint(GetSysColor(COLOR_BTNFACE), 32))), kW * kH) << "no frame at rest";
    Expect(Shot(4, 2), {{5, 5, Of(button::Tint(hl, 176))}, {0, 0, Of(hl)}, {kW - 1, kH - 1, Of(hl)}}, "hover");
    Expect(Shot(4, 3), {{5, 5, Of(button::Tint(hl, 128))}, {kW - 1, 0, Of(hl)}}, "pressed");

    // A 16-pixel icon centred at (20, 4) rises to (18, 2) over a grey copy of itself.
    PropertyBag centred;
    centred.WriteInt(L"IconAlign", 0);
    isButton::FromHwnd(Make(4, 1, false, centred))->SetIcon(SolidIcon(16, RGB(255, 0, 0)));
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    const Rgb3 red{255, 0, 0}, grey{128, 128, 128};
    Expect(Capture(button), {{18, 2, red}, {33, 17, red}, {34, 18, grey}, {35, 19, grey}, {20, 19, grey}},
           "lifted icon");
}

TEST_F(ButtonStyles, SkinnedKeepsItsOwnPaletteAndShape) {
    const Rgb3 frame{0, 60, 116};
    const std::vector<Pixel> frameAndCorners{{2, 0, frame},
                                             {kW - 3, kH - 1, frame},
                                             {0, 2, frame},
                                             {kW - 1, kH - 3, frame},
                                             {1, 1, Rgb(72, 110, 144)},
                                             {kW - 2, kH - 2, Rgb(72, 110, 144)},
                                             {1, 0, Rgb(106, 139, 162)},
                                             {kW - 1, kH - 2, Rgb(106, 139, 162)}};
    const Image rest = Shot(5, 1);
    Expect(rest, frameAndCorners, "rest");
    Expect(rest, {{1, kH - 3, Rgb(191, 199, 202)}, {2, 1, Rgb(191, 199, 202)}}, "second ring");
    Expect(rest, {{10, 3, Rgb(250, 250, 249)}, {10, kH - 3, Rgb(235, 235, 230)}, {10, kH - 2, Rgb(214, 208, 197)}},
           "rest face");
    EXPECT_FALSE(InShape(0, 0));
    EXPECT_TRUE(InShape(1, 0));
    EXPECT_FALSE(InShape(kW - 1, kH - 1));

    const Image hover = Shot(5, 2);
    Expect(hover, frameAndCorners, "hover");
    Expect(hover,
           {{10, 1, Rgb(255, 240, 207)},
            {10, 2, Rgb(253, 216, 137)},
            {10, kH - 3, Rgb(248, 179, 48)},
            {10, kH - 2, Rgb(229, 151, 16)},
            {1, 3, Rgb(253, 216, 137)},
            {kW - 2, kH - 4, Rgb(248, 179, 48)}},
           "hover rim");
    Expect(Shot(5, 1, true), {{10, kH - 2, Rgb(105, 130, 238)}, {10, 1, Rgb(206, 231, 255)}}, "focus rim");
    Expect(Shot(5, 4), {{10, 10, Rgb(245, 244, 234)}, {10, 0, Rgb(201, 199, 186)}, {1, 0, Rgb(216, 213, 199)}},
           "disabled");
}

TEST_F(ButtonStyles, GlossyFramesItsFaceAndSoftensTheCorners) {
    const int b = 8;  // state 1: the face is F + 8
    const Rgb3 frame = Of(Shift(Shift(GetSysColor(COLOR_BTNFACE), b), -96));
    const Rgb3 corner = SysShift(COLOR_BTNFACE, -21);
    Expect(Shot(7, 1),
           {{2, 0, frame},
            {kW - 3, 0, frame},
            {0, 2, frame},
            {0, kH - 3, frame},
            {10, kH - 1, frame},
            {kW - 1, 10, frame},
            {1, 1, frame},
            {kW - 2, kH - 2, frame},
            {1, 0, corner},
            {0, 1, corner},
            {kW - 2, kH - 1, corner},
            {kW - 1, kH - 2, corner},
            {10, 1, SysShift(COLOR_BTNFACE, 21)},
            {10, kH - 2, SysShift(COLOR_BTNFACE, -37)}},
           "rest");
    EXPECT_FALSE(InShape(kW - 1, 0));
}

TEST_F(ButtonStyles, CapsuleHasItsTopHighlight) {
    const COLORREF b = Shift(GetSysColor(COLOR_BTNFACE), -15);
    const Rgb3 light = Of(Shift(b, 48));
    Expect(Shot(9, 1),
           {{3, 0, light},
            {kW - 4, 0, light},
            {1, 1, light},
            {4, 1, light},
            {kW - 5, 1, light},
            {kW - 2, 1, light},
            {5, 1, Of(b)},
            {kW - 6, 1, Of(b)},
            {6, 3, Of(Shift(b, 128))},
            {10, kH - 2, Of(Shift(b, -128))}},
           "rest");
    EXPECT_FALSE(InShape(1, 0));
    EXPECT_TRUE(InShape(2, 0));
}

TEST_F(ButtonStyles, RoundedIsRoundAndShowsTheHoverPictureWithTheFocus) {
    const Image rest = Shot(10, 1);
    EXPECT_EQ(rest.At(28, 12), Rgb(232, 231, 234));
    for (int y : {0, kH - 1}) {
        EXPECT_FALSE(InShape(5, y)) << y;
        EXPECT_TRUE(InShape(6, y)) << y;
        EXPECT_FALSE(InShape(kW - 6, y)) << y;
        EXPECT_TRUE(InShape(kW - 7, y)) << y;
    }
    EXPECT_FALSE(InShape(0, 5));
    EXPECT_TRUE(InShape(0, 6));
    const Rgb3 hover = Shot(10, 2).At(28, 12);
    EXPECT_NE(hover, rest.At(28, 12));
    EXPECT_EQ(Shot(10, 1, true).At(28, 12), hover);
    EXPECT_NE(Shot(10, 3).At(28, 12), hover);
}

TEST(ButtonShotArguments, RefusesWhatItCannotShow) {
    const std::vector<std::vector<const wchar_t*>> bad{
        {L"shot", L"l", L"B", L"57", L"25", L"1", L"0"},  // no output
        {L"shot", L"l", L"", L"57", L"25", L"1", L"0", L"o.bmp"},
        {L"shot", L"l", L"B", L"0", L"25", L"1", L"0", L"o.bmp"},
        {L"shot", L"l", L"B", L"57", L"25x", L"1", L"0", L"o.bmp"},
        {L"shot", L"l", L"B", L"57", L"25", L"5", L"0", L"o.bmp"},
        {L"shot", L"l", L"B", L"57", L"25", L"1", L"2", L"o.bmp"},
    };
    for (const auto& args : bad) {
        std::wstring error;
        EXPECT_FALSE(ParseShotRequest(static_cast<int>(args.size()), args.data(), error)) << args.size();
        EXPECT_FALSE(error.empty());
    }
    const std::vector<const wchar_t*> good{L"shot", L"l", L"B", L"200", L"60", L"3", L"1", L"o.bmp"};
    std::wstring error;
    const auto request = ParseShotRequest(8, good.data(), error);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->width, 200);
    EXPECT_EQ(request->state, 3);
    EXPECT_TRUE(request->focus);
}

}  // namespace
