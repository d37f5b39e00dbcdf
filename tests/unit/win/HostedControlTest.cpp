// The hosting layer under Wine: a hosted window that owns its control, and our controls at another scale.

#include <gtest/gtest.h>
#include <windows.h>
#include <olectl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "controls/button/win/isButton.h"
#include "controls/host/win/HostedControl.h"
#include "controls/progressbar/win/ProgressBar.h"

namespace {

using namespace pixel_test;

// A control that records what the host asks of it.
struct Record {
    std::vector<std::string> calls;
    bool destroyed = false;
};

class ProbeControl : public HostedControl {
public:
    explicit ProbeControl(Record& record) : record_(record) {}
    ~ProbeControl() override { record_.destroyed = true; }

    void WriteProperties(PropertyBag& bag) const override { bag.WriteInt(L"Colour", static_cast<int>(color_)); }
    void ReadProperties(const PropertyBag& bag) override {
        record_.calls.push_back("read");
        if (auto v = bag.ReadInt(L"Colour", 0)) color_ = static_cast<COLORREF>(*v);
        Paint();
    }

protected:
    void InitProperties() override {
        record_.calls.push_back("init");
        color_ = RGB(0, 0, 255);
        Paint();
    }
    void OnResize() override {
        record_.calls.push_back("resize " + std::to_string(Surface().ScaleWidth()) + "x" +
                                std::to_string(Surface().ScaleHeight()));
        Paint();
    }

private:
    void Paint() {
        UniqueBrush brush(CreateSolidBrush(color_));
        const RECT all{0, 0, Surface().ScaleWidth(), Surface().ScaleHeight()};
        FillRect(Surface().Dc(), &all, brush.Get());
        CopyToScreen();
    }
    Record& record_;
    COLORREF color_ = 0;
};

class HostedControlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(parent.Get(), nullptr); }

    HWND Make(const PropertyBag* persisted, const wchar_t* name = L"Probe1") {
        HostedControlArgs args;
        args.parent = parent.Get();
        args.id = 400;
        args.rect = {5, 5, 45, 25};
        args.name = name;
        args.persisted = persisted;
        args.userMode = false;
        args.displayAsDefault = true;
        args.toolTipText = L"提示";
        return HostedControl::Create(std::make_unique<ProbeControl>(record), L"VerdalyProbeControl", args);
    }

    Record record;
    ParentWindow parent;
};

TEST_F(HostedControlTest, ANewInstanceInitialisesAndASavedOneReads) {
    HWND fresh = Make(nullptr);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(record.calls, (std::vector<std::string>{"init", "resize 40x20"}));
    EXPECT_EQ(Capture(fresh).At(10, 10), (Rgb3{0, 0, 255}));

    record.calls.clear();
    PropertyBag saved;
    saved.WriteInt(L"Colour", static_cast<int>(RGB(0, 200, 0)));
    HWND restored = Make(&saved, L"Probe2");
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(record.calls, (std::vector<std::string>{"read", "resize 40x20"}));
    EXPECT_EQ(Capture(restored).At(39, 19), (Rgb3{0, 200, 0}));
    PropertyBag written;
    HostedControl::FromHwnd(restored)->WriteProperties(written);
    EXPECT_EQ(written.ReadInt(L"Colour", 0), static_cast<int>(RGB(0, 200, 0)));
}

TEST_F(HostedControlTest, TheSiteCarriesAmbientAndExtenderProperties) {
    UniqueFont font(CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    HostedControlArgs args;
    args.parent = parent.Get();
    args.rect = {0, 0, 10, 10};
    args.name = L"NBtnLogin";
    args.containerFont = font.Get();
    args.toolTipText = L"登录";
    args.displayAsDefault = true;
    HWND hwnd = HostedControl::Create(std::make_unique<ProbeControl>(record), L"VerdalyProbeControl", args);
    ASSERT_NE(hwnd, nullptr);
    const ControlSite& site = HostedControl::FromHwnd(hwnd)->Site();
    EXPECT_TRUE(site.Ambient.UserMode);
    EXPECT_TRUE(site.Ambient.DisplayAsDefault);
    EXPECT_EQ(site.Ambient.DisplayName, L"NBtnLogin");
    EXPECT_EQ(site.Extender.Name, L"NBtnLogin");
    EXPECT_EQ(site.Extender.ToolTipText, L"登录");
    // The container's font, as the surface's platform font: face, pixel height and weight.
    EXPECT_EQ(HostedControl::FromHwnd(hwnd)->Surface().Font(), site.Ambient.Font);
    const LOGFONTW lf = SelectedFont(HostedControl::FromHwnd(hwnd)->Surface().Dc());
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
}

TEST_F(HostedControlTest, TheWindowOwnsItsControlAndOnlyItsOwn) {
    HWND hwnd = Make(nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_NE(HostedControl::FromHwnd(hwnd), nullptr);
    EXPECT_EQ(HostedControl::FromHwnd(parent.Get()), nullptr);
    EXPECT_EQ(HostedControl::FromHwnd(nullptr), nullptr);
    EXPECT_FALSE(record.destroyed);
    DestroyWindow(hwnd);
    EXPECT_TRUE(record.destroyed);
    EXPECT_EQ(HostedControl::FromHwnd(hwnd), nullptr);
}

TEST_F(HostedControlTest, AFailedCreationDeletesTheControlOnce) {
    HostedControlArgs args;
    args.parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7777));  // no such window
    args.style = WS_CHILD;
    HWND hwnd = HostedControl::Create(std::make_unique<ProbeControl>(record), L"VerdalyProbeControl", args);
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_TRUE(record.destroyed);
}

TEST_F(HostedControlTest, ASizeChangeResizesTheSurfaceAndRedraws) {
    HWND hwnd = Make(nullptr);
    ASSERT_NE(hwnd, nullptr);
    record.calls.clear();
    SetWindowPos(hwnd, nullptr, 0, 0, 70, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(record.calls, (std::vector<std::string>{"resize 70x30"}));
    const Image image = Capture(hwnd);
    EXPECT_EQ(image.width, 70);
    EXPECT_EQ(image.At(69, 29), (Rgb3{0, 0, 255}));
    record.calls.clear();
    SetWindowPos(hwnd, nullptr, 3, 3, 70, 30, SWP_NOZORDER | SWP_NOACTIVATE);  // moved only
    EXPECT_TRUE(record.calls.empty());
}

// ---- our controls on a screen of another scale ---------------------------------------------------------------
// Wine keeps one DPI for the session and never sends WM_DPICHANGED: the DPI is set on each control as the main
// window does when it moves to another screen (the DPI first, then the size at the new scale), and what the
// control made of it is read back against the same reading at the session's DPI.

enum class Subject { Bevel, FocusedEdge, Bar };

// Readings of a control, in pixels.
int FontHeight(HWND hwnd) {
    return std::abs(SelectedFont(HostedControl::FromHwnd(hwnd)->Surface().Dc()).lfHeight);
}

// The tooltip's font, the tooltip shown first when it is not up.
int ToolTipFontHeight(HWND hwnd) {
    isButton& button = *isButton::FromHwnd(hwnd);
    if (!button.ToolTipWindow()) SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    LOGFONTW lf{};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(button.ToolTipWindow(), WM_GETFONT, 0, 0));
    return font && GetObjectW(font, sizeof lf, &lf) == sizeof lf ? std::abs(lf.lfHeight) : -1;
}

// The pixels the window shape cuts off the left end of the top row.
int CornerCut(HWND hwnd) {
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(hwnd, region.Get()) == ERROR) return -1;
    int cut = 0;
    while (cut < 100 && !PtInRegion(region.Get(), cut, 0)) ++cut;
    return cut;
}

// The corner diameter of a rounded window shape: the smallest rounded rectangle that covers the same pixels
// (compared pixel for pixel: two equal regions need not hold the same rectangles).
int CornerDiameter(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0)), difference(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(hwnd, region.Get()) == ERROR) return -1;
    for (int d = 0; d <= client.bottom; ++d) {
        UniqueRegion rounded(CreateRoundRectRgn(0, 0, client.right, client.bottom, d, d));
        if (CombineRgn(difference.Get(), region.Get(), rounded.Get(), RGN_XOR) == NULLREGION) return d;
    }
    return -1;
}

// Rows from the top, in the middle column, as dark as a frame line: the focus frame, the bar's outline.
int FrameRows(HWND hwnd) {
    const Image image = Capture(hwnd);
    int rows = 0;
    while (rows < image.height && image.At(image.width / 2, rows).r < 64) ++rows;
    return rows;
}

class ControlsAtScale : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(parent.Get(), nullptr); }

    // A control at the session's DPI, of the main window's size; the bar taller and with wide corners, so that its
    // scale shows in whole pixels.
    HWND Make(Subject subject) {
        HostedControlArgs args;
        args.parent = parent.Get();
        args.name = L"Scaled";
        args.toolTipText = L"提示";
        FontDesc font;
        font.Name = L"Tahoma";
        font.Size = 9;
        PropertyBag set;
        set.WriteFont(L"Font", font);
        set.WriteFont(L"TextFont", font);
        set.WriteInt(L"RoundedValue", 20);
        set.WriteInt(L"Theme", 8);  // a dark outline
        set.WriteInt(L"Style", subject == Subject::Bevel ? button::StyleGradientBevel : button::StyleEdge3D);
        set.WriteBool(L"ShowFocus", true);
        args.persisted = &set;
        args.rect = subject == Subject::Bar ? RECT{0, 0, 200, 40} : RECT{0, 0, 57, 25};
        if (subject == Subject::Bar) return ProgressBar::Create(args);
        HWND hwnd = isButton::Create(args);
        if (subject == Subject::FocusedEdge) isButton::FromHwnd(hwnd)->Core().GotFocus();
        return hwnd;
    }

    ParentWindow parent;
};

TEST_F(ControlsAtScale, FontsShapesAndFramesGrowWithTheDpiToWithinAPixel) {
    const struct {
        const char* what;
        Subject subject;
        int dpi;
        int (*reading)(HWND);
    } cases[] = {
        {"button font height", Subject::Bevel, 144, FontHeight},
        {"bar font height", Subject::Bar, 144, FontHeight},
        {"tooltip font height", Subject::Bevel, 144, ToolTipFontHeight},
        {"button region's corner", Subject::Bevel, 144, CornerCut},
        {"button region's corner", Subject::Bevel, 288, CornerCut},
        {"bar region's corners", Subject::Bar, 144, CornerDiameter},
        // Lines a pixel thick at 96 DPI: only a larger scale tells a scaled line from one left as it was.
        {"focus rectangle", Subject::FocusedEdge, 144, FrameRows},
        {"focus rectangle", Subject::FocusedEdge, 288, FrameRows},
        {"bar outline", Subject::Bar, 288, FrameRows},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " at " + std::to_string(c.dpi));
        HWND hwnd = Make(c.subject);
        ASSERT_NE(hwnd, nullptr);
        HostedControl& control = *HostedControl::FromHwnd(hwnd);
        const int session = control.Dpi();
        const int before = c.reading(hwnd);
        ASSERT_GT(before, 0);
        RECT r{};
        GetClientRect(hwnd, &r);
        const auto scaleTo = [&](int dpi) {
            control.SetDpi(dpi);
            SetWindowPos(hwnd, nullptr, 0, 0, MulDiv(r.right, dpi, session), MulDiv(r.bottom, dpi, session),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        };
        scaleTo(c.dpi);
        EXPECT_NEAR(c.reading(hwnd), before * static_cast<double>(c.dpi) / session, 1.0) << "from " << before;
        scaleTo(session);
        EXPECT_EQ(c.reading(hwnd), before) << "nothing of the other scale stays";
        DestroyWindow(hwnd);
    }
}

}  // namespace
