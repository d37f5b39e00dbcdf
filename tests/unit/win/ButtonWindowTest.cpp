// The push button as a window, driven by real window messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/button/win/ButtonCanvas.h"
#include "controls/button/win/IconText.h"
#include "controls/button/win/isButton.h"
#include "HostTestSupport.h"

namespace {

using namespace button;

constexpr int kButtonId = 301;
constexpr int kOtherId = 302;

// A container that counts the clicks its buttons report.
struct Parent {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            commands.push_back(LOWORD(wParam));
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static inline std::vector<int> commands;
};

COLORREF GrayLevel(int v) {
    return RGB(v, v, v);
}

class ButtonWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Parent::commands.clear();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Parent::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ButtonTestParent";
        RegisterClassExW(&wc);
        parent = CreateWindowExW(WS_EX_CONTROLPARENT, L"ButtonTestParent", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                 200, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent, nullptr);
        ShowWindow(parent, SW_SHOW);
    }
    void TearDown() override {
        if (parent) DestroyWindow(parent);
    }

    HWND Make(int id, const PropertyBag* bag, RECT rect = {10, 10, 67, 35}, HFONT containerFont = nullptr) {
        HostedControlArgs args;
        args.containerFont = containerFont;
        args.parent = parent;
        args.id = id;
        args.rect = rect;
        args.name = L"NBtnTest";
        args.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        args.persisted = bag;
        HWND hwnd = isButton::Create(args);
        EXPECT_NE(hwnd, nullptr);
        return hwnd;
    }
    HWND MakeStyle8(int id = kButtonId, const wchar_t* caption = L"登 录") {
        PropertyBag bag;
        bag.WriteInt(L"Style", 8);
        bag.WriteText(L"Caption", caption);
        return Make(id, &bag);
    }
    static isButton& Button(HWND hwnd) { return *isButton::FromHwnd(hwnd); }
    static int State(HWND hwnd) { return Button(hwnd).Core().Fields().ButtonState; }
    static void Send(HWND hwnd, UINT msg, WPARAM w = 0, LPARAM l = MAKELPARAM(5, 5)) { SendMessageW(hwnd, msg, w, l); }
    // The button's look as it would be printed into a 32-bit surface.
    static std::vector<COLORREF> Print(HWND hwnd, int w, int h) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(dc, bmp);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels.push_back(GetPixel(dc, x, y));
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return pixels;
    }

    HWND parent = nullptr;
};

TEST_F(ButtonWindow, ClassTakesDoubleClicksAndKeepsArrowsAndCharacters) {
    HWND b = MakeStyle8();
    EXPECT_TRUE(GetClassLongPtrW(b, GCL_STYLE) & CS_DBLCLKS);
    wchar_t cls[32]{};
    GetClassNameW(b, cls, 32);
    EXPECT_STREQ(cls, L"isButton");
    const LRESULT code = SendMessageW(b, WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(code & (DLGC_WANTARROWS | DLGC_WANTCHARS), DLGC_WANTARROWS | DLGC_WANTCHARS);
    wchar_t text[32]{};
    GetWindowTextW(b, text, 32);
    EXPECT_STREQ(text, L"登 录") << "automation reads the caption from the window text";
    EXPECT_EQ(isButton::Version(), L"3.4.0");
}

// What the window adds to the clicks of the core (ButtonInput) and of real input (the end-to-end buttons): the
// capture while pressed, a release away from the button, a double click's second press, a held Space's repeats,
// and one WM_COMMAND to the container for each Click.
TEST_F(ButtonWindow, OnlyAReleaseOverTheButtonClicksAndTheContainerHearsEachClickOnce) {
    HWND b = MakeStyle8();
    int clicks = 0;
    Button(b).Click = [&clicks] { ++clicks; };
    Send(b, WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), b) << "the mouse is captured while pressed";
    Send(b, WM_LBUTTONUP);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(clicks, 1);

    Send(b, WM_LBUTTONDBLCLK, MK_LBUTTON);
    Send(b, WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1) << "a double click is one click";
    Send(b, WM_LBUTTONDOWN, MK_LBUTTON);
    Send(b, WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
    EXPECT_EQ(clicks, 1) << "released away from the button";

    Send(b, WM_KEYDOWN, VK_SPACE, 0x00390001);
    Send(b, WM_CHAR, L' ', 0x00390001);
    Send(b, WM_KEYDOWN, VK_SPACE, 0x40390001);
    Send(b, WM_CHAR, L' ', 0x40390001);  // held down: a repeat, not a new press
    Send(b, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(Parent::commands, (std::vector<int>{kButtonId, kButtonId}));
}

TEST_F(ButtonWindow, HookSeesMouseEnterOncePerEntryAndRunsTheTooltip) {
    HWND b = MakeStyle8();
    isButton& button = Button(b);
    ASSERT_TRUE(button.Hooked());
    EXPECT_EQ(button.HookMessages().AfterList(), (std::vector<std::uint32_t>{0x200, 0x2A3, 0x31A, 0x15}));
    EXPECT_EQ(button.HookMessages().BeforeCount(), 0);

    button.Site().Extender.ToolTipText = L"提示";
    button.Core().Set(&ButtonProperties::ToolTipTitle, L"");
    int enters = 0, leaves = 0;
    button.MouseEnter = [&enters] { ++enters; };
    button.MouseLeave = [&leaves] { ++leaves; };
    for (int x : {3, 10, 20}) Send(b, WM_MOUSEMOVE, 0, MAKELPARAM(x, 5));
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(State(b), kStateHover);
    HWND tip = button.ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    wchar_t cls[64]{};
    GetClassNameW(tip, cls, 64);
    EXPECT_STREQ(cls, L"tooltips_class32");
    EXPECT_TRUE(GetWindowLongPtrW(tip, GWL_STYLE) & TTS_BALLOON);
    EXPECT_TRUE(GetWindowLongPtrW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(button.Site().Extender.ToolTipText, L"") << "the container's own tooltip is silent meanwhile";
    wchar_t text[64]{};
    TOOLINFOW info = button.ToolInfo();
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L"提示");
    EXPECT_EQ(info.uFlags & TTF_SUBCLASS, static_cast<UINT>(TTF_SUBCLASS));

    Send(b, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(State(b), kStateNormal);
    EXPECT_FALSE(IsWindow(tip)) << "the tooltip goes with the pointer";
    EXPECT_EQ(button.Site().Extender.ToolTipText, L"提示");

    Send(b, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    EXPECT_EQ(enters, 2);
    DestroyWindow(b);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
}

TEST_F(ButtonWindow, WindowTextAndCaptionStayTheSameAndTheButtonRepaints) {
    HWND b = MakeStyle8(kButtonId, L"下 载");
    const auto before = Print(b, 57, 25);
    SetWindowTextW(b, L"停 止");
    EXPECT_EQ(Button(b).Core().Props().Caption, L"停 止");
    const auto after = Print(b, 57, 25);
    EXPECT_NE(before, after) << "the new caption is painted";
    EXPECT_EQ(after[0 + 57 * 0], before[0]);

    Button(b).Core().Set(&ButtonProperties::Caption, L"下 载");
    wchar_t text[16]{};
    GetWindowTextW(b, text, 16);
    EXPECT_STREQ(text, L"下 载");
    EXPECT_EQ(Print(b, 57, 25), before);
}

TEST_F(ButtonWindow, SystemColorsTranslateThroughThePlatformAndUnknownOnesFail) {
    const ButtonSite& site = Button(MakeStyle8(kButtonId, L"")).Core().Site();
    EXPECT_EQ(TranslateColor(0x8000000F, site.Colors()).value, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(TranslateColor(0x80000050, site.Colors()), kFailedColor) << "not black";
}

// The levels themselves are the portable painting's tests' (GradientBevel); here the platform's lines, the focus
// as the window gets it, and the window's shape.
TEST_F(ButtonWindow, StyleEightDrawsThroughGdiAsOnTheRasterAndCutsTheCorners) {
    HWND b = MakeStyle8(kButtonId, L"");
    ASSERT_EQ(GetSysColor(COLOR_BTNFACE), GrayLevel(245)) << "Wine's face, which the levels here start from";
    auto at = [](const std::vector<COLORREF>& px, int x, int y) { return px[static_cast<size_t>(y * 57 + x)]; };

    const auto px = Print(b, 57, 25);
    EXPECT_EQ(at(px, 10, 0), GrayLevel(197)) << "face - 48";
    // GDI's lines leave out their end pixel, as the renderer expects: the border stops short of the corners.
    EXPECT_EQ(at(px, 54, 0), GrayLevel(245));
    EXPECT_EQ(at(px, 0, 22), GrayLevel(245));

    SetFocus(b);
    ASSERT_EQ(GetFocus(), b);
    EXPECT_EQ(at(Print(b, 57, 25), 10, 0), GrayLevel(149)) << "focus darkens the border: face - 96";

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(b, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 1, 0));
    EXPECT_TRUE(PtInRegion(region, 2, 0));
    EXPECT_TRUE(PtInRegion(region, 56, 3));
    EXPECT_FALSE(PtInRegion(region, 56, 24));
    EXPECT_FALSE(PtInRegion(region, 0, 24));
    EXPECT_TRUE(PtInRegion(region, 28, 12));
    // A plain style is the whole window again, which holds no region.
    Button(b).Core().Set(&ButtonProperties::Style, std::int32_t{StyleEdge3D});
    EXPECT_EQ(GetWindowRgn(b, region), ERROR);
    DeleteObject(region);
}

TEST_F(ButtonWindow, ArrowsMoveTheFocusLikeTabAndShiftTab) {
    HWND first = MakeStyle8(kButtonId);
    HWND second = Make(kOtherId, nullptr, RECT{80, 10, 137, 35});
    SetFocus(first);
    ASSERT_EQ(GetFocus(), first);
    EXPECT_TRUE(Button(first).Core().Fields().HasFocus);
    Send(first, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(GetFocus(), second);
    EXPECT_FALSE(Button(first).Core().Fields().HasFocus);
    Send(second, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(GetFocus(), first);
}

TEST_F(ButtonWindow, AccessKeyFromTheContainerClicksOnce) {
    HWND b = MakeStyle8(kButtonId, L"&Go");
    HWND other = Make(kOtherId, nullptr, RECT{80, 10, 137, 35});
    SetFocus(other);
    MSG msg{};
    msg.hwnd = other;
    msg.message = WM_SYSCHAR;
    msg.wParam = L'g';
    msg.lParam = 0x20220001;
    EXPECT_TRUE(IsDialogMessageW(parent, &msg));
    EXPECT_EQ(Parent::commands, std::vector<int>{kButtonId});
    EXPECT_EQ(State(b), kStateNormal);
}

TEST_F(ButtonWindow, APaintRequestRepaintsInThePresentState) {
    HWND b = MakeStyle8(kButtonId, L"");
    ASSERT_EQ(GetSysColor(COLOR_BTNFACE), GrayLevel(245)) << "Wine's face, which the levels here start from";
    Button(b).Core().Fields().ButtonState = kStateHover;
    InvalidateRect(b, nullptr, FALSE);
    UpdateWindow(b);
    EXPECT_EQ(Print(b, 57, 25)[21 * 57 + 10], GrayLevel(240)) << "hover runs down from face + 15, held at 255";
    // As after an access key: the state changes without a repaint, and the next uncovering shows it.
    Button(b).Core().Fields().ButtonState = kStateNormal;
    InvalidateRect(b, nullptr, FALSE);
    UpdateWindow(b);
    EXPECT_EQ(Print(b, 57, 25)[21 * 57 + 10], GrayLevel(230));
}

TEST_F(ButtonWindow, ASetWithoutAFontTakesTheContainerFont) {
    UniqueFont font(CreateFontW(-15, 0, 0, 0, FW_BOLD, TRUE, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"SimSun"));
    PropertyBag bag;
    bag.WriteInt(L"Style", 8);
    HWND b = Make(kButtonId, &bag, RECT{10, 10, 67, 35}, font.Get());
    // The button draws with the container's font, as the platform holds it, and its Font property says the same.
    const LOGFONTW lf = pixel_test::SelectedFont(Button(b).Surface().Dc());
    EXPECT_STREQ(lf.lfFaceName, L"SimSun");
    EXPECT_EQ(lf.lfHeight, -15);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(Button(b).Core().Props().Font, Button(b).Surface().Font());
}

TEST_F(ButtonWindow, SmallButtonGrowsToTheMinimumAndNewOnesStartFromTheirName) {
    HWND b = Make(kButtonId, nullptr, RECT{0, 0, 10, 12});
    RECT r{};
    GetWindowRect(b, &r);
    const int minimum = MinimumSidePixels(Button(b).Dpi());
    EXPECT_EQ(r.right - r.left, minimum);
    EXPECT_EQ(r.bottom - r.top, minimum);
    EXPECT_EQ(Button(b).Core().Props().Caption, L"NBtnTest");
    EXPECT_EQ(Button(b).Core().Props().Style, StyleEdge3D);
}

TEST_F(ButtonWindow, EnabledFollowsTheWindowBothWays) {
    HWND b = MakeStyle8();
    Button(b).Core().Set(&ButtonProperties::Enabled, false);
    EXPECT_FALSE(IsWindowEnabled(b));
    EXPECT_EQ(State(b), kStateDisabled);
    EnableWindow(b, TRUE);
    EXPECT_TRUE(Button(b).Core().Props().Enabled);
    EXPECT_EQ(State(b), kStateNormal);
}

// Wine's prefixes carry its own visual style; a platform without one skips this, loudly.
TEST_F(ButtonWindow, ThemedStyleDrawsThePlatformsPushButtonWhileThereIsAVisualStyle) {
    PropertyBag bag;
    bag.WriteInt(L"Style", 6);
    HWND b = Make(kButtonId, &bag);
    UniqueTheme theme(OpenThemeData(b, L"Button"));
    if (!theme) GTEST_SKIP() << "no visual style here";
    EXPECT_EQ(Button(b).Core().Props().Style, StyleThemed);
    // The platform's push button at rest over the face colour the surface is cleared to; the caption is empty.
    pixel_test::MemoryCanvas want(57, 25);
    UniqueBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    const RECT all{0, 0, 57, 25};
    FillRect(want.Dc(), &all, face.Get());
    ASSERT_HRESULT_SUCCEEDED(DrawThemeBackground(theme.Get(), want.Dc(), BP_PUSHBUTTON, PBS_NORMAL, &all, &all));
    EXPECT_EQ(pixel_test::Capture(b).pixels, want.Read().pixels);
}

// Wine still themes a window after SetWindowTheme(hwnd, L"", L""); a class list that names no class does not.
TEST_F(ButtonWindow, ThemedStyleWithoutAVisualStyleFallsBackForGood) {
    PropertyBag bag;
    bag.WriteInt(L"Style", 6);
    bag.WriteInt(L"iNonThemeStyle", 8);
    HWND b = Make(kButtonId, &bag);
    SetWindowTheme(b, L" ", L" ");
    ASSERT_EQ(UniqueTheme(OpenThemeData(b, L"Button")).Get(), nullptr);
    Button(b).Refresh();
    EXPECT_EQ(Button(b).Core().Props().Style, StyleGradientBevel);
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(b, region.Get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 0)) << "the fall-back style's shape";
    EXPECT_EQ(Print(b, 57, 25)[10], GrayLevel(197)) << "and its look: Wine's face 245 less 48";
}

TEST_F(ButtonWindow, AboutPanelIsATopmostWindowWithTheVersionAndACloseButton) {
    HWND b = MakeStyle8();
    isButton& button = Button(b);
    button.About();
    HWND about = button.AboutWindow();
    ASSERT_NE(about, nullptr);
    wchar_t title[64]{};
    GetWindowTextW(about, title, 64);
    EXPECT_STREQ(title, L"About isButton 3.4.0");
    EXPECT_EQ(GetParent(about), nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const LONG_PTR style = GetWindowLongPtrW(about, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX), WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX);
    EXPECT_TRUE(IsWindowVisible(about));
    HWND close = FindWindowExW(about, nullptr, L"Button", L"Close");
    ASSERT_NE(close, nullptr);
    SendMessageW(about, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(close), BN_CLICKED), reinterpret_cast<LPARAM>(close));
    EXPECT_FALSE(IsWindowVisible(about));
    DestroyWindow(b);
    EXPECT_FALSE(IsWindow(about)) << "the panel goes with its button";
}

// An opaque w x h icon whose colour pixel at (x, y) is colorAt(x, y).
template <typename ColorAt>
HICON MakeOpaqueIcon(int w, int h, ColorAt colorAt) {
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateCompatibleBitmap(screen, w, h);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, color);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPixelV(dc, x, y, colorAt(x, y));
    SelectObject(dc, mask);
    PatBlt(dc, 0, 0, w, h, BLACKNESS);  // all opaque
    SelectObject(dc, old);
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteDC(dc);
    DeleteObject(color);
    DeleteObject(mask);
    ReleaseDC(nullptr, screen);
    return icon;
}

// An icon whose colour pixels are the given colours in one row.
HICON MakeIcon(const std::vector<COLORREF>& colors) {
    return MakeOpaqueIcon(static_cast<int>(colors.size()), 1,
                          [&colors](int x, int) { return colors[static_cast<size_t>(x)]; });
}

TEST(ButtonIconGray, KeptLevelsStayAndOtherColorsBecomeTheirLuminance) {
    const std::vector<COLORREF> in{GrayLevel(0),   GrayLevel(128), GrayLevel(144),     GrayLevel(240),
                                   GrayLevel(100), GrayLevel(255), RGB(255, 255, 250), RGB(10, 20, 30)};
    const std::vector<COLORREF> out{GrayLevel(0),   GrayLevel(128), GrayLevel(148), GrayLevel(240),
                                    GrayLevel(103), GrayLevel(255), GrayLevel(255), GrayLevel(18)};
    HICON icon = MakeIcon(in);
    ASSERT_NE(icon, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 8, 1);
    HGDIOBJ old = SelectObject(dc, target);
    EXPECT_TRUE(PaintIconGrayscale(dc, icon, 0, 0, 1, 8));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(GetPixel(dc, x, 0), out[static_cast<size_t>(x)]) << x;
    EXPECT_FALSE(PaintIconGrayscale(dc, nullptr, 0, 0, 1, 8));
    EXPECT_FALSE(PaintIconGrayscale(nullptr, icon, 0, 0, 1, 8));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DestroyIcon(icon);
}

// A one-row icon with an alpha channel, its pixels given as 0xAARRGGBB; the mask leaves every pixel to the alpha.
HICON MakeAlphaIcon(const std::vector<std::uint32_t>& pixels) {
    const int w = static_cast<int>(pixels.size());
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color || !bits) return nullptr;
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    const std::vector<BYTE> zeros(static_cast<size_t>((w + 15) / 16) * 2, 0);
    UniqueBitmap mask(CreateBitmap(w, 1, 1, 1, zeros.data()));
    ICONINFO icon{TRUE, 0, 0, mask.Get(), color.Get()};
    return CreateIconIndirect(&icon);
}

TEST(ButtonIconGray, AnIconWithAnAlphaChannelKeepsItsAlpha) {
    // Opaque red, an opaque kept grey and a transparent pixel, greyed onto white.
    HICON icon = MakeAlphaIcon({0xFFC80000u, 0xFF808080u, 0x00000000u});
    ASSERT_NE(icon, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 3, 1);
    HGDIOBJ old = SelectObject(dc, target);
    PatBlt(dc, 0, 0, 3, 1, WHITENESS);
    EXPECT_TRUE(PaintIconGrayscale(dc, icon, 0, 0, 1, 3));
    EXPECT_EQ(GetPixel(dc, 0, 0), GrayLevel(66)) << "a greyed pixel keeps its opacity";
    EXPECT_EQ(GetPixel(dc, 1, 0), GrayLevel(128));
    EXPECT_EQ(GetPixel(dc, 2, 0), GrayLevel(255)) << "and a transparent one stays transparent";
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DestroyIcon(icon);
}

// A size x size icon: the left half in one colour, the right half in another, all opaque.
HICON MakeTwoColorIcon(int size, COLORREF left, COLORREF right) {
    return MakeOpaqueIcon(size, size, [=](int x, int) { return x < size / 2 ? left : right; });
}

TEST(ButtonCanvasIcon, MaskColorIsLeftOutAndShadowsAreGrayWhereTheIconIs) {
    constexpr COLORREF kKey = RGB(255, 0, 255);
    constexpr COLORREF kRed = RGB(255, 0, 0);
    constexpr COLORREF kWhite = RGB(255, 255, 255);
    ButtonProperties props;
    props.Icon = std::make_shared<IconPicture>(MakeTwoColorIcon(4, kRed, kKey));
    ASSERT_NE(props.Icon->handle, 0u);
    props.MaskColor = kKey;
    props.UseMaskColor = true;
    DrawingSurface surface;
    DrawingSurface mask;
    ASSERT_TRUE(surface.Resize(12, 12));
    const std::wstring caption;
    ButtonCanvas canvas(nullptr, surface, mask, props, caption);
    auto at = [&surface](int x, int y) { return GetPixel(surface.Dc(), x, y); };

    canvas.SetBackground(ColorRef{kWhite});
    canvas.DrawIcon(4, 4, 4, true);
    EXPECT_EQ(at(4, 4), kRed);
    EXPECT_EQ(at(7, 7), kWhite) << "the mask colour is not copied";
    canvas.DrawIcon(4, 4, 4, false);
    EXPECT_EQ(at(5, 6), GrayLevel(85)) << "disabled: the mean of the channels";

    canvas.SetBackground(ColorRef{kWhite});
    canvas.DrawIconShadow(4, 4, 4);
    EXPECT_EQ(at(4, 4), GrayLevel(128));
    EXPECT_EQ(at(6, 5), kWhite);
    EXPECT_EQ(at(3, 3), kWhite);

    // An icon sticking out past the top left keeps its visible part.
    canvas.SetBackground(ColorRef{kWhite});
    canvas.DrawIcon(-1, -2, 4, true);
    EXPECT_EQ(at(0, 0), kRed);
    EXPECT_EQ(at(2, 1), kWhite);
    canvas.DrawIconShadow(-1, -2, 4);
    EXPECT_EQ(at(0, 1), GrayLevel(128));

    props.UseMaskColor = false;
    canvas.SetBackground(ColorRef{kWhite});
    canvas.DrawIconShadow(4, 4, 4);
    EXPECT_EQ(at(4, 4), GrayLevel(128));
    EXPECT_EQ(at(6, 5), GrayLevel(128)) << "without a mask colour every pixel unlike the background turns grey";
    EXPECT_EQ(at(8, 8), kWhite);
}

// An icon's pixels drawn alone on white.
std::vector<COLORREF> IconPixels(HICON icon, int size) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, target);
    PatBlt(dc, 0, 0, size, size, WHITENESS);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(ButtonWindow, AnIconIsSavedWithTheSetAndComesBack) {
    HWND b = MakeStyle8(kButtonId, L"");
    Button(b).SetIcon(MakeTwoColorIcon(16, RGB(255, 0, 0), RGB(0, 0, 255)));
    PropertyBag bag;
    Button(b).WriteProperties(bag);
    const std::wstring* text = bag.Raw(L"Icon");
    ASSERT_NE(text, nullptr);
    EXPECT_NE(*text, L"Nothing");

    HWND copy = Make(kOtherId, &bag, RECT{80, 10, 137, 35});
    const PictureRefPtr& back = Button(copy).Core().Props().Icon;
    ASSERT_NE(back, nullptr);
    const auto pixels = IconPixels(reinterpret_cast<HICON>(back->handle), 16);
    EXPECT_EQ(pixels, IconPixels(reinterpret_cast<HICON>(Button(b).Core().Props().Icon->handle), 16));
    EXPECT_EQ(pixels[0], RGB(255, 0, 0));
    EXPECT_EQ(pixels[15], RGB(0, 0, 255));

    // Text that is no icon, or an icon cut short, gives none.
    for (const std::wstring& bad : {std::wstring(L"Nothing"), std::wstring(L"AAAA"), text->substr(0, 40)})
        EXPECT_EQ(IconFromText(bad), nullptr) << bad.size();
    EXPECT_EQ(IconToText(nullptr), L"");
}

TEST_F(ButtonWindow, HighlightTintLiftsTheIconOverItsGrayShadowUnderThePointer) {
    PropertyBag bag;
    bag.WriteInt(L"Style", 4);
    bag.WriteInt(L"IconAlign", 0);
    HWND b = Make(kButtonId, &bag);
    Button(b).SetIcon(MakeTwoColorIcon(16, RGB(255, 0, 0), RGB(255, 0, 0)));
    Send(b, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    // Centred at (20, 4), the icon rises to (18, 2) over a grey copy of itself left where it was.
    const auto px = Print(b, 57, 25);
    for (POINT p : {POINT{18, 2}, POINT{33, 17}}) EXPECT_EQ(px[p.y * 57 + p.x], RGB(255, 0, 0)) << p.x << "," << p.y;
    for (POINT p : {POINT{34, 18}, POINT{35, 19}, POINT{20, 19}}) EXPECT_EQ(px[p.y * 57 + p.x], GrayLevel(128)) << p.x;
}

}  // namespace
