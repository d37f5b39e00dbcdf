// The skinned frame on real windows: the client rectangle the engine answers, the zones of a sizable window, the
// plain frame of a window without a painter (or with a failing one), the caption buttons' press and release, no GDI
// object left behind by painting, and the skin following its window to another DPI (margins, buttons, title font,
// pictures from the masters, a caption drag under way).

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

#include "winmsg/win/BaseWindow.h"
#include "FakeCaptionPainter.h"
#include "GdiObjects.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/Picture.h"
#include "skin/win/cNCCalcSize.h"
#include "skin/win/cNeoCaption.h"
#include "winmsg/DpiScale.h"
#include "Waiting.h"

namespace {

// A top-level window that records the window commands it is sent and carries none of them out. Told of another
// DPI, it hands it to its skin and takes the suggested rectangle, as the program's windows do.
struct FrameProbe : BaseWindow {
    std::vector<WPARAM> commands;
    std::vector<bool> visibleWhileSettingCursor;
    int clicks = 0;
    cNeoCaption* skin = nullptr;

    explicit FrameProbe(DWORD style, int width = 300, int height = 200) {
        WindowArgs args;
        args.windowClass.name = L"VerdalyFrameProbe";
        args.style = style;
        args.rect = {40, 50, 40 + width, 50 + height};
        Create(args);
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override {
        if (msg == WM_SYSCOMMAND) {
            commands.push_back(wParam & 0xFFF0);
            return 0;
        }
        if (msg == WM_DPICHANGED) {
            if (skin) skin->DpiChanged(HIWORD(wParam));
            const RECT& r = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        if (msg == WM_SETCURSOR) visibleWhileSettingCursor.push_back(IsWindowVisible(Hwnd()) != FALSE);
        if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) ++clicks;
        return BaseWindow::HandleMessage(msg, wParam, lParam);
    }
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void PaintFrameNow(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

COLORREF FramePixel(HWND hwnd, int x, int y) {
    const WindowFrameDC dc(hwnd);
    return GetPixel(dc.Get(), x, y);
}

RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

// A press or a release of the left button, where the pointer is.
void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// Puts the pointer back where it was: the next test's window opens under the place a test moved it to.
struct PointerKept {
    POINT at{};
    PointerKept() { GetCursorPos(&at); }
    ~PointerKept() { SetCursorPos(at.x, at.y); }
};

// A sizable 300 x 200 window at (40, 50) whose engine has the fake painter (margins 7, 40, 5, 9).
class FrameEngine : public ::testing::Test {
protected:
    FrameProbe window{WS_OVERLAPPEDWINDOW};
    FakeCaptionPainter painter;
    cNCCalcSize engine;

    void SetUp() override {
        painter.window = window.Hwnd();
        engine.Attach(&painter);
        cNCCalcSize::Display(window.Hwnd());
    }
    // Fills the top rows (the whole window by default) with a colour no frame uses.
    void Mark(int rows = 200) {
        const WindowFrameDC dc(window.Hwnd());
        const UniqueBrush brush(CreateSolidBrush(kMarker));
        const RECT band{0, 0, 300, rows};
        FillRect(dc.Get(), &band, brush.Get());
    }
    [[nodiscard]] COLORREF Pixel(int x, int y) const { return FramePixel(window.Hwnd(), x, y); }

    static constexpr COLORREF kMarker = RGB(1, 2, 3);
};

TEST_F(FrameEngine, TheClientAreaIsTheProposedWindowMinusThePaintersMargins) {
    RECT client{};
    GetClientRect(window.Hwnd(), &client);
    EXPECT_EQ(client.right, 300 - 7 - 5);
    EXPECT_EQ(client.bottom, 200 - 40 - 9);
    POINT origin{0, 0};
    ClientToScreen(window.Hwnd(), &origin);
    EXPECT_EQ(origin.x, 40 + 7);
    EXPECT_EQ(origin.y, 50 + 40);

    // Whatever the first rectangle holds, the answer comes from the proposed position.
    WINDOWPOS pos{window.Hwnd(), nullptr, 10, 20, 100, 80, 0};
    NCCALCSIZE_PARAMS params{{{0, 0, 1, 1}, {1, 2, 3, 4}, {5, 6, 7, 8}}, &pos};
    EXPECT_EQ(SendMessageW(window.Hwnd(), WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params)), WVR_REDRAW);
    const RECT expected{17, 60, 105, 91};
    EXPECT_TRUE(EqualRect(&params.rgrc[0], &expected));
    EXPECT_TRUE(EqualRect(&params.rgrc[1], &expected));

    // The plain form of the question gets the same answer, shrunk once.
    RECT plain{10, 20, 110, 100};
    SendMessageW(window.Hwnd(), WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&plain));
    EXPECT_TRUE(EqualRect(&plain, &expected));

    engine.Detach();
    EXPECT_EQ(GetPropW(window.Hwnd(), cNCCalcSize::kImplementationProperty), nullptr);
}

TEST_F(FrameEngine, ZonesOfASizableWindowAndThePaintersSay) {
    const RECT r = WindowRectOf(window.Hwnd());
    const auto hit = [&](int x, int y) {
        return SendMessageW(window.Hwnd(), WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
    };
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    ASSERT_LT(caption + 9 + 1, painter.top) << "the test needs a band between caption and client";

    EXPECT_EQ(hit(0, 0), HTTOPLEFT);
    EXPECT_EQ(hit(150, 9), HTTOP) << "the top band is as tall as the bottom margin";
    EXPECT_EQ(hit(150, 10), HTCAPTION);
    EXPECT_EQ(hit(8, 10), HTSYSMENU);
    EXPECT_EQ(hit(150, caption + 10), HTCLIENT) << "the band under the caption is client area";
    EXPECT_EQ(hit(299, 199), HTBOTTOMRIGHT);

    painter.forcedCode = HTMENU;
    EXPECT_EQ(hit(150, 100), HTCLIENT) << "a menu answers as client area";
    painter.forcedCode = HTCAPTION;
    EXPECT_EQ(hit(150, 100), HTCAPTION);
}

TEST_F(FrameEngine, WithoutAPainterOrWithAFailingOneThePlainFrameIsPainted) {
    ShowWindow(window.Hwnd(), SW_SHOWNA);
    SendMessageW(window.Hwnd(), WM_NCACTIVATE, TRUE, 0);
    const int cxf = GetSystemMetrics(SM_CXFRAME), cyf = GetSystemMetrics(SM_CYFRAME);
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION), border = GetSysColor(COLOR_ACTIVEBORDER);

    // A painter that fails is not left with an unpainted frame, not even in its wider margins.
    painter.throwOnPaint = true;
    Mark();
    PaintFrameNow(window.Hwnd());
    EXPECT_GT(painter.paints, 0);
    EXPECT_EQ(Pixel(150, cyf + 3), caption);
    EXPECT_EQ(Pixel(cxf - 1, 100), border);
    EXPECT_EQ(Pixel(150, painter.top - 2), border);

    // A window whose property names no painter.
    RemovePropW(window.Hwnd(), cNCCalcSize::kImplementationProperty);
    const int paints = painter.paints;
    Mark();
    PaintFrameNow(window.Hwnd());
    EXPECT_EQ(painter.paints, paints);
    EXPECT_EQ(Pixel(150, cyf + 3), caption);
    EXPECT_EQ(Pixel(cxf - 1, 100), border);
}

TEST_F(FrameEngine, TheSystemPaintsNoCaptionOverThePaintersOnActivationOrNewText) {
    ShowWindow(window.Hwnd(), SW_SHOWNA);  // the fake painter paints nothing: whatever shows is someone else's
    for (const BOOL active : {TRUE, FALSE, TRUE}) {
        Mark(painter.top);
        const int paints = painter.paints;
        EXPECT_TRUE(SendMessageW(window.Hwnd(), WM_NCACTIVATE, active, 0));
        EXPECT_EQ(engine.WindowActive(), active == TRUE);
        EXPECT_GT(painter.paints, paints) << "the painter paints the new state";
        EXPECT_EQ(Pixel(150, 12), kMarker) << "the system painted its caption";
    }

    Mark(painter.top);
    const int paints = painter.paints;
    EXPECT_TRUE(SetWindowTextW(window.Hwnd(), L"New title"));
    EXPECT_EQ(Pixel(150, 12), kMarker) << "the system painted its caption";
    EXPECT_GT(painter.paints, paints);
    wchar_t text[32] = {};
    GetWindowTextW(window.Hwnd(), text, 32);
    EXPECT_STREQ(text, L"New title");
    EXPECT_TRUE(GetWindowLongPtrW(window.Hwnd(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(FrameEngine, ClicksArrivingWhileTheTitleChangesReachTheWindow) {
    // A click goes to the window that is visible under the pointer when it arrives: a window without WS_VISIBLE
    // for a moment while its title changes would lose the clicks of that moment to the desktop behind it.
    const HWND hwnd = window.Hwnd();
    const PointerKept pointer;
    ShowWindow(hwnd, SW_SHOW);
    ASSERT_TRUE(Foreground(hwnd));
    POINT at{100, 60};
    ClientToScreen(hwnd, &at);
    SetCursorPos(at.x, at.y);
    Pump();
    window.clicks = 0;
    constexpr int kClicks = 40;
    std::atomic<bool> done{false};
    std::thread clicker([&done] {
        for (int i = 0; i < kClicks; ++i, Sleep(3)) {
            Mouse(MOUSEEVENTF_LEFTDOWN);
            Mouse(MOUSEEVENTF_LEFTUP);
        }
        done = true;
    });
    for (int i = 0; !done; ++i) {
        SetWindowTextW(hwnd, i % 2 ? L"Odd" : L"Even");
        Pump();
    }
    clicker.join();
    PumpUntil([&] { return window.clicks >= kClicks; });
    EXPECT_EQ(window.clicks, kClicks);
}

// Caption and border pictures of the main window's layout, every pixel a colour of its own position.
Picture PatternPicture(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            px[y * width + x] = static_cast<std::uint32_t>((x & 0xFF) << 16 | (y * 5) << 8 | ((x >> 8) * 100 + 7));
    return Picture(std::move(bitmap));
}

COLORREF PatternAt(int x, int y) {
    return RGB(x & 0xFF, y * 5, (x >> 8) * 100 + 7);
}

// A picture of one colour.
Picture SolidPicture(int width, int height, COLORREF color) {
    const WindowDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    const UniqueMemDC dc(CreateCompatibleDC(screen.Get()));
    {
        const SelectGuard selected(dc.Get(), bitmap.Get());
        const UniqueBrush brush(CreateSolidBrush(color));
        const RECT all{0, 0, width, height};
        FillRect(dc.Get(), &all, brush.Get());
    }
    return Picture(std::move(bitmap));
}

// 400 x 300, a size that scales to whole pixels at 120, 144 and 192 DPI.
struct SkinnedWindow {
    FrameProbe window{WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 400, 300};
    cNeoCaption skin;

    explicit SkinnedWindow(const Picture& caption = PatternPicture(640, 48),
                           const Picture& border = PatternPicture(70, 10)) {
        window.skin = &skin;
        ShowWindow(window.Hwnd(), SW_SHOWNA);
        EXPECT_TRUE(skin.Attach(window.Hwnd(), caption, border, 19, 20, 90, 140, 240, 400));
        PaintFrameNow(window.Hwnd());
    }
    // Tells the window it is at another DPI, suggesting its 96-DPI size scaled at its place, and paints its frame.
    void MoveToDpi(int dpi) {
        const RECT r = WindowRectOf(window.Hwnd());
        RECT suggested{r.left, r.top, r.left + ScaleToDpi(400, dpi), r.top + ScaleToDpi(300, dpi)};
        SendMessageW(window.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        PaintFrameNow(window.Hwnd());
    }
    // A point of the button's image, in screen coordinates; close at 400 - 25, minimise at 400 - 45.
    LPARAM At(int left) const {
        const RECT r = WindowRectOf(window.Hwnd());
        return MAKELPARAM(r.left + left + 9, r.top + 15);
    }
    std::vector<WPARAM> Click(UINT down, LPARAM pressAt, LPARAM releaseAt) {
        window.commands.clear();
        SendMessageW(window.Hwnd(), WM_NCHITTEST, 0, pressAt);
        SendMessageW(window.Hwnd(), down, HTSYSMENU, pressAt);
        SendMessageW(window.Hwnd(), WM_NCLBUTTONUP, HTSYSMENU, releaseAt);
        Pump();
        return window.commands;
    }
};

TEST_F(FrameEngine, SettingTheCursorLeavesTheWindowVisibleAndAStandardMenuAlwaysGoes) {
    // Input that arrives while the window lacks WS_VISIBLE passes it over: a click would land on the desktop.
    const HWND hwnd = window.Hwnd();
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    const UniqueWindow child(
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, hwnd, nullptr, nullptr, nullptr));
    const struct {
        HWND over;
        WORD code;
    } cases[] = {{hwnd, HTCAPTION}, {hwnd, HTLEFT}, {hwnd, HTCLIENT}, {child.Get(), HTCLIENT}};
    const HMENU menu = CreateMenu();
    for (const auto& c : cases) {
        SetMenu(hwnd, menu);
        window.visibleWhileSettingCursor.clear();
        SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(c.over), MAKELPARAM(c.code, WM_LBUTTONDOWN));
        ASSERT_EQ(window.visibleWhileSettingCursor.size(), 1u) << c.code;
        EXPECT_TRUE(window.visibleWhileSettingCursor[0]) << c.code;
        EXPECT_TRUE(IsWindowVisible(hwnd)) << c.code;
        EXPECT_EQ(GetMenu(hwnd), nullptr) << c.code;
    }
    DestroyMenu(menu);
}

TEST(CaptionPainter, AButtonRunsItsCommandOnlyWhenReleasedWhereItWasPressed) {
    SkinnedWindow w;
    const LPARAM close = w.At(400 - 25), minimise = w.At(400 - 45);
    EXPECT_EQ(SendMessageW(w.window.Hwnd(), WM_NCHITTEST, 0, close), HTSYSMENU);

    // Pressed, the button shows its pressed image (rows 20 on) until the release.
    w.window.commands.clear();
    SendMessageW(w.window.Hwnd(), WM_NCLBUTTONDOWN, HTSYSMENU, minimise);
    EXPECT_EQ(FramePixel(w.window.Hwnd(), 400 - 45 + 3, 5 + 4), PatternAt(297 + 3, 20 + 4));
    SendMessageW(w.window.Hwnd(), WM_NCLBUTTONUP, HTSYSMENU, minimise);
    Pump();
    EXPECT_EQ(w.window.commands, std::vector<WPARAM>{SC_MINIMIZE});
    EXPECT_EQ(FramePixel(w.window.Hwnd(), 400 - 45 + 3, 5 + 4), PatternAt(297 + 3, 4));

    EXPECT_EQ(w.Click(WM_NCLBUTTONDOWN, close, close), std::vector<WPARAM>{SC_CLOSE});
    EXPECT_TRUE(w.Click(WM_NCLBUTTONDOWN, close, minimise).empty()) << "released over another button";
    EXPECT_TRUE(w.Click(WM_NCLBUTTONDOWN, w.At(200), minimise).empty()) << "pressed on no button";
    // The second press of a double click presses the button again; it does not close the window.
    EXPECT_EQ(w.Click(WM_NCLBUTTONDBLCLK, minimise, minimise), std::vector<WPARAM>{SC_MINIMIZE});
}

TEST(CaptionPainter, AThousandPaintsLeaveNoGdiObjectBehind) {
    SkinnedWindow w;
    // The frame is the skin's: a pixel of the left piece.
    EXPECT_EQ(FramePixel(w.window.Hwnd(), 60, 30), PatternAt(60, 30));
    const DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u) << "GDI objects cannot be counted here";
    for (int i = 0; i < 1000; ++i) {
        PaintFrameNow(w.window.Hwnd());
        SendMessageW(w.window.Hwnd(), WM_NCHITTEST, 0, w.At(400 - 45));
        SendMessageW(w.window.Hwnd(), WM_NCACTIVATE, i % 2 == 0, 0);
    }
    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_EQ(FramePixel(w.window.Hwnd(), 60, 30), PatternAt(400 + 60, 30)) << "the last paint was inactive";
}

// What a skinned window's frame measures: its margins, its two buttons (counted from the right edge, as they are laid
// out) and its title font's height.
std::vector<int> FrameMeasures(SkinnedWindow& w) {
    const HWND hwnd = w.window.Hwnd();
    const RECT r = WindowRectOf(hwnd);
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    const int width = r.right - r.left;
    const Rect close = w.skin.ButtonRect(skin::kClose), minimize = w.skin.ButtonRect(skin::kMinimize);
    LOGFONTW font{};
    GetObjectW(w.skin.CaptionPlatformFont().Get(), sizeof font, &font);
    return {origin.x - r.left, origin.y - r.top,  r.right - origin.x - client.right, r.bottom - origin.y - client.bottom,
            width - close.left, width - close.right, width - minimize.left, close.top, close.bottom, -font.lfHeight};
}

// The first and last rows of the dc's (left, 0)-(right, bottom) holding a pixel other than the background.
std::pair<int, int> InkRows(HDC dc, int left, int right, int bottom, COLORREF background) {
    std::pair<int, int> rows{-1, -1};
    for (int y = 0; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (GetPixel(dc, x, y) != background) {
                rows = {rows.first < 0 ? y : rows.first, y};
                break;
            }
    return rows;
}

TEST(CaptionPainter, FollowsItsWindowToAnotherDpiAndBack) {
    constexpr COLORREF kBackground = RGB(20, 40, 80);  // one colour: whatever else shows in the caption is the title
    SkinnedWindow w(SolidPicture(640, 48, kBackground), SolidPicture(70, 10, kBackground));
    const HWND hwnd = w.window.Hwnd();
    w.skin.CaptionFont()->Size = 9;  // as the main window has it
    const std::vector<int> at96 = FrameMeasures(w);
    // The skin's own numbers; a 9-point font is 12 pixels tall.
    ASSERT_EQ(at96, (std::vector<int>{10, 48, 10, 10, 25, 5, 45, 5, 25, 12}));
    const wchar_t kTitle[] = L"Skinned Qypg";
    SetWindowTextW(hwnd, kTitle);
    const WindowDC screen(nullptr);
    const UniqueMemDC free(CreateCompatibleDC(screen.Get()));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), 400, 100));
    const SelectGuard selected(free.Get(), bitmap.Get());
    for (const int dpi : {144, 120, 192, 96}) {
        w.MoveToDpi(dpi);
        EXPECT_EQ(w.skin.Dpi(), dpi);
        const RECT r = WindowRectOf(hwnd);
        EXPECT_EQ(r.right - r.left, ScaleToDpi(400, dpi)) << "the window took the suggested size";
        const std::vector<int> measures = FrameMeasures(w);
        for (std::size_t i = 0; i < measures.size(); ++i)
            EXPECT_LE(std::abs(measures[i] - ScaleToDpi(at96[i], dpi)), dpi == kBaseDpi ? 0 : 1)
                << "measure " << i << " at " << dpi << " DPI";
        // The buttons answer where they are drawn, the caption beside them.
        const Rect minimize = w.skin.ButtonRect(skin::kMinimize);
        const int y = r.top + (minimize.top + minimize.bottom) / 2;
        EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + minimize.left, y)), HTSYSMENU) << dpi;
        EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + minimize.left - 2, y)), HTCAPTION) << dpi;

        // The title grows with the font, and so does its box: drawn freely in the same font it takes as many rows.
        const UniqueBrush brush(CreateSolidBrush(kBackground));
        RECT all{0, 0, 400, 100};
        FillRect(free.Get(), &all, brush.Get());
        const UniqueFont titleFont = w.skin.CaptionPlatformFont();
        const SelectGuard font(free.Get(), titleFont.Get());
        SetBkMode(free.Get(), TRANSPARENT);
        SetTextColor(free.Get(), cNeoCaption::TranslateColor(w.skin.ActiveCaptionColor()).value);
        DrawTextW(free.Get(), kTitle, -1, &all, DT_SINGLELINE | DT_NOPREFIX);
        const auto [freeTop, freeBottom] = InkRows(free.Get(), 0, 400, 100, kBackground);
        const WindowFrameDC frame(hwnd);
        const auto [top, bottom] = InkRows(frame.Get(), ScaleToDpi(92, dpi), ScaleToDpi(400 - 96, dpi),
                                           ScaleToDpi(48, dpi), kBackground);
        EXPECT_EQ(bottom - top, freeBottom - freeTop) << dpi << " DPI: the title's ink is cut";
        // Inside the box the 96-DPI frame gives it (rows 11 to 28), scaled.
        EXPECT_GE(top, ScaleToDpi(11, dpi) - 1) << dpi;
        EXPECT_LE(bottom, ScaleToDpi(29, dpi)) << dpi;
    }
}

TEST(CaptionPainter, PicturesAtAnotherDpiAreMadeFromTheMastersThatFit) {
    constexpr COLORREF kAt96 = RGB(200, 30, 30), kMaster = RGB(30, 200, 30);
    const struct {
        const char* what;
        int masterWidth;  // of the caption master; 0: none given
        bool givenAt144;  // given once the window is at 144 DPI, not before
        COLORREF at144;
    } cases[] = {
        {"no masters: the attached pictures scaled", 0, false, kAt96},
        {"masters of the skin at 200 %", 1280, false, kMaster},
        {"masters given at 144 DPI", 1280, true, kMaster},
        {"masters of another size are not used", 1200, false, kAt96},
    };
    for (const auto& c : cases) {
        SkinnedWindow w(SolidPicture(640, 48, kAt96), SolidPicture(70, 10, kAt96));
        const auto giveMasters = [&] {
            if (c.masterWidth)
                w.skin.MasterPictures(SolidPicture(c.masterWidth, 96, kMaster), SolidPicture(140, 20, kMaster));
        };
        if (!c.givenAt144) giveMasters();
        EXPECT_EQ(FramePixel(w.window.Hwnd(), 60, 30), kAt96) << c.what << ": 96 DPI keeps the pictures as attached";
        w.MoveToDpi(144);
        if (c.givenAt144) giveMasters();
        EXPECT_EQ(FramePixel(w.window.Hwnd(), 90, 45), c.at144) << c.what << ": caption";
        EXPECT_EQ(FramePixel(w.window.Hwnd(), 7, 150), c.at144) << c.what << ": border";
        w.MoveToDpi(96);
        EXPECT_EQ(FramePixel(w.window.Hwnd(), 5, 100), kAt96) << c.what << ": back at 96 DPI";
    }
}

TEST(CaptionPainter, ADragKeepsThePointersPlaceOnTheWindowWhenTheDpiChanges) {
    const PointerKept pointer;
    SkinnedWindow w;
    const HWND hwnd = w.window.Hwnd();
    ASSERT_TRUE(Foreground(hwnd));
    const RECT start = WindowRectOf(hwnd);
    const POINT grab{start.left + 200, start.top + 12};  // on the caption, away from the buttons
    SetCursorPos(grab.x, grab.y);
    Pump();
    // Whether the window's rectangle comes to be as `wanted` says, 10 s at most.
    const auto comes = [hwnd](auto wanted) {
        for (const ULONGLONG end = GetTickCount64() + 10000; GetTickCount64() < end; Sleep(1))
            if (wanted(WindowRectOf(hwnd))) return true;
        return false;
    };
    // The press runs the drag inside its own dispatch, until the release. Another thread moves the pointer and
    // waits for the window to follow, sends the new DPI while the drag runs, moves on and lets go.
    Mouse(MOUSEEVENTF_LEFTDOWN);
    std::atomic<bool> released{false};
    std::thread hand([&] {
        SetCursorPos(grab.x + 40, grab.y + 30);
        // Followed, a pixel or so off: the press nudges the pointer, sooner or later than this move.
        (void)comes([&](const RECT& r) { return r.left != start.left; });
        RECT suggested{start.left, start.top, start.left + 600, start.top + 450};
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        SetCursorPos(grab.x + 70, grab.y + 50);
        // The pointer holds the window where it grabbed it: 200 x 12 pixels in at 96 DPI, 300 x 18 at 144.
        (void)comes([&](const RECT& r) { return r.left == grab.x + 70 - 300 && r.top == grab.y + 50 - 18; });
        Mouse(MOUSEEVENTF_LEFTUP);
        released = true;
    });
    PumpUntil([&] { return released.load(); }, 30000);
    hand.join();

    const RECT now = WindowRectOf(hwnd);
    EXPECT_EQ(now.right - now.left, 600);
    EXPECT_EQ(grab.x + 70 - now.left, 300);
    EXPECT_EQ(grab.y + 50 - now.top, 18);
}

}  // namespace
