// The button's styles as its window shows them: made from a persisted set and put into each state by the stage of
// verdaly-buttonshot, then printed. Captions are empty so every pixel is the style's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "controls/button/ButtonPaint.h"
#include "tests/tools/ButtonShot.h"
#include "HostTestSupport.h"
#include "controls/button/win/isButton.h"

namespace {

using namespace pixel_test;

constexpr int kW = 57;
constexpr int kH = 25;

struct At {
    int x, y;
};

Rgb3 Of(COLORREF c) {
    return FromColorRef(c);
}
Rgb3 Sys(int index) {
    return Of(GetSysColor(index));
}
Rgb3 Gray(int level) {
    return {level, level, level};
}

// Every listed pixel of `image` is `colour`.
void Expect(const Image& image, Rgb3 color, std::initializer_list<At> pixels, const std::string& what = "") {
    for (const At& p : pixels) EXPECT_EQ(image.At(p.x, p.y), color) << what << " at " << p.x << "," << p.y;
}

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
    bool InShape(int x, int y) const {
        UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(button, region.Get()) != ERROR && PtInRegion(region.Get(), x, y);
    }

    ButtonStage stage;
    HWND button = nullptr;
};

TEST_F(ButtonStyles, Edge3DIsRaisedOrSunkenAndFramesTheDefaultButtonAndTheFocusAskedFor) {
    const Rgb3 black{0, 0, 0};
    const At corners[] = {{0, 0}, {1, 1}, {kW - 1, kH - 1}, {kW - 2, kH - 2}};
    const int raised[] = {COLOR_3DLIGHT, COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DSHADOW};
    const int sunken[] = {COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DLIGHT};
    const Image up = Shot(0, 1), down = Shot(0, 3);
    for (int i = 0; i < 4; ++i) {
        Expect(up, Sys(raised[i]), {corners[i]}, "raised");
        Expect(down, Sys(sunken[i]), {corners[i]}, "sunken");
    }
    EXPECT_EQ(Shot(0, 1, true).At(0, 0), Sys(COLOR_3DLIGHT)) << "ShowFocus false: no frame";
    PropertyBag showFocus;
    showFocus.WriteBool(L"ShowFocus", true);
    Expect(Shot(0, 1, true, showFocus), black, {{0, 0}, {kW - 1, kH - 1}, {kW - 1, 0}}, "focus");

    // The container marks the button as its default: the frame comes at once, and goes with the marking.
    isButton& b = *isButton::FromHwnd(Make(0, 1));
    b.SetAmbientDisplayAsDefault(true);
    Expect(Capture(button), black, {{0, 0}, {kW - 1, kH - 1}, {0, kH - 1}}, "default");
    SetFocus(button);
    EXPECT_EQ(Capture(button).At(0, 0), Sys(COLOR_3DLIGHT)) << "a focused default button follows ShowFocus";
    SetFocus(nullptr);
    b.SetAmbientDisplayAsDefault(false);
    EXPECT_EQ(Capture(button).At(0, 0), Sys(COLOR_3DLIGHT));
}

TEST_F(ButtonStyles, ThinEdgeAndFlatHoverAreFlatWhereTheyShouldBe) {
    const Rgb3 face = Sys(COLOR_BTNFACE), light = Sys(COLOR_3DHILIGHT), dark = Sys(COLOR_3DSHADOW);
    struct Case {
        int style, state;
        Rgb3 topLeft, bottomRight;
    } cases[] = {{1, 1, light, dark}, {1, 3, dark, light}, {1, 4, face, face}, {2, 1, face, face},
                 {2, 2, light, dark}, {2, 3, dark, light}, {2, 4, face, face}};
    for (const Case& c : cases) {
        const Image image = Shot(c.style, c.state);
        const std::string what = "style " + std::to_string(c.style) + " state " + std::to_string(c.state);
        Expect(image, c.topLeft, {{0, 0}}, what);
        Expect(image, c.bottomRight, {{kW - 1, kH - 1}}, what);
        if (c.topLeft == face) {
            EXPECT_EQ(image.Count(face), kW * kH) << what << " is flat";
        }
    }
}

TEST_F(ButtonStyles, DoubleFrameHasTwoFramesBlendedCornersAndTheStateInItsTextRectangle) {
    const Rgb3 s = Sys(COLOR_BTNSHADOW), face = Sys(COLOR_BTNFACE);
    const Image rest = Shot(3, 1);
    Expect(rest, s, {{0, 0}, {kW - 2, 0}, {0, kH - 2}});
    Expect(rest, Sys(COLOR_WINDOW), {{1, 1}, {kW - 1, kH - 1}, {kW - 1, 5}});
    Expect(rest, face, {{kW - 1, 0}, {0, kH - 1}, {2, 2}});
    // Halfway between Wine's window white and its shadow (166): 210.5, a half, to the even 210.
    Expect(rest, {210, 210, 210}, {{kW - 2, 1}, {1, kH - 2}});
    const Image pressed = Shot(3, 3);
    Expect(pressed, s, {{4, 4}, {kW - 5, kH - 5}, {kW - 1, 0}}, "pressed");
    Expect(pressed, face, {{3, 3}, {kW - 4, kH - 4}}, "pressed");
}

TEST_F(ButtonStyles, HighlightTintTintsTheFaceOnlyAtRestAndFramesItUnderThePointer) {
    // Tint level L takes a channel v to L + (255 - L) * v / 255, cut down: Wine's face 245 at 32 gives 246, its
    // highlight (48, 150, 250) at 176 gives (190, 222, 253) and at 128 (151, 202, 252).
    EXPECT_EQ(Shot(4, 1).Count({246, 246, 246}), kW * kH) << "no frame at rest";
    const Image hover = Shot(4, 2);
    Expect(hover, {190, 222, 253}, {{5, 5}, {kW - 2, kH - 2}});
    Expect(hover, Of(GetSysColor(COLOR_HIGHLIGHT)), {{0, 0}, {kW - 1, kH - 1}});
    Expect(Shot(4, 3), {151, 202, 252}, {{5, 5}}, "pressed");
}

TEST_F(ButtonStyles, SkinnedKeepsItsOwnPaletteAndShape) {
    auto frameAndCorners = [](const Image& image, const std::string& what) {
        Expect(image, {0, 60, 116}, {{2, 0}, {kW - 3, kH - 1}, {0, 2}, {kW - 1, kH - 3}}, what);
        Expect(image, {72, 110, 144}, {{1, 1}, {kW - 2, kH - 2}}, what);
        Expect(image, {106, 139, 162}, {{1, 0}, {kW - 1, kH - 2}}, what);
    };
    const Image rest = Shot(5, 1);
    frameAndCorners(rest, "rest");
    Expect(rest, {191, 199, 202}, {{1, kH - 3}, {2, 1}}, "second ring");
    Expect(rest, {250, 250, 249}, {{10, 3}});
    Expect(rest, {214, 208, 197}, {{10, kH - 2}});
    EXPECT_FALSE(InShape(0, 0));
    EXPECT_TRUE(InShape(1, 0));
    EXPECT_FALSE(InShape(kW - 1, kH - 1));

    const Image hover = Shot(5, 2);
    frameAndCorners(hover, "hover");
    Expect(hover, {255, 240, 207}, {{10, 1}});
    Expect(hover, {253, 216, 137}, {{10, 2}, {1, 3}});
    Expect(hover, {248, 179, 48}, {{10, kH - 3}, {kW - 2, kH - 4}});
    Expect(hover, {229, 151, 16}, {{10, kH - 2}});
    Expect(Shot(5, 1, true), {105, 130, 238}, {{10, kH - 2}}, "focus rim");
    const Image disabled = Shot(5, 4);
    Expect(disabled, {245, 244, 234}, {{10, 10}});
    Expect(disabled, {201, 199, 186}, {{10, 0}});
    Expect(disabled, {216, 213, 199}, {{1, 0}});
}

TEST_F(ButtonStyles, GlossyFramesItsFaceAndSoftensTheCorners) {
    ASSERT_EQ(GetSysColor(COLOR_BTNFACE), RGB(245, 245, 245)) << "Wine's face, which the levels here start from";
    const Image rest = Shot(7, 1);
    Expect(rest, Gray(157),
           {{2, 0}, {kW - 3, 0}, {0, 2}, {0, kH - 3}, {10, kH - 1}, {kW - 1, 10}, {1, 1}, {kW - 2, kH - 2}});
    Expect(rest, Gray(224), {{1, 0}, {0, 1}, {kW - 2, kH - 1}, {kW - 1, kH - 2}}, "soft corners: face - 21");
    Expect(rest, Gray(255), {{10, 1}}, "face + 21, held at white");
    Expect(rest, Gray(208), {{10, kH - 2}}, "face - 37");
    EXPECT_FALSE(InShape(kW - 1, 0));
}

TEST_F(ButtonStyles, CapsuleHasItsTopHighlight) {
    ASSERT_EQ(GetSysColor(COLOR_BTNFACE), RGB(245, 245, 245)) << "Wine's face, which the levels here start from";
    const Image rest = Shot(9, 1);
    Expect(rest, Gray(255), {{3, 0}, {kW - 4, 0}, {1, 1}, {4, 1}, {kW - 5, 1}, {kW - 2, 1}}, "base (face - 15) + 48");
    Expect(rest, Gray(230), {{5, 1}, {kW - 6, 1}}, "its base");
    Expect(rest, Gray(255), {{6, 3}}, "base + 128");
    Expect(rest, Gray(102), {{10, kH - 2}}, "base - 128");
    EXPECT_FALSE(InShape(1, 0));
    EXPECT_TRUE(InShape(2, 0));
}

TEST_F(ButtonStyles, RoundedIsRoundAndShowsTheHoverPictureWithTheFocus) {
    const Image rest = Shot(10, 1);
    EXPECT_EQ(rest.At(28, 12), (Rgb3{232, 231, 234}));
    for (int y : {0, kH - 1}) {
        EXPECT_FALSE(InShape(5, y) || InShape(kW - 6, y)) << y;
        EXPECT_TRUE(InShape(6, y) && InShape(kW - 7, y)) << y;
    }
    EXPECT_FALSE(InShape(0, 5));
    EXPECT_TRUE(InShape(0, 6));
    const Rgb3 hover = Shot(10, 2).At(28, 12);
    EXPECT_NE(hover, rest.At(28, 12));
    EXPECT_EQ(Shot(10, 1, true).At(28, 12), hover);
    EXPECT_NE(Shot(10, 3).At(28, 12), hover);
}

}  // namespace
