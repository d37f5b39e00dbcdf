// The hosting layer under Wine: the drawing surface, and a hosted window that owns its control.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "winmsg/win/Dpi.h"
#include "controls/host/win/DrawingSurface.h"
#include "winmsg/win/PlatformFont.h"
#include "HostTestSupport.h"
#include "controls/host/win/HostedControl.h"

namespace {

using namespace pixel_test;

TEST(DrawingSurface, ColorsTranslateSystemReferencesAndRefuseBadOnes) {
    EXPECT_EQ(TranslateColor(0x00123456), 0x00123456u);
    EXPECT_EQ(TranslateColor(0x8000000F), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(TranslateColor(0x80000012), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(TranslateColor(0x800000FF), static_cast<COLORREF>(-1));
    // Neither a plain colour nor a system colour: refused, not drawn as the colour in its low bytes.
    EXPECT_EQ(TranslateColor(0x05FF0000), static_cast<COLORREF>(-1));
    EXPECT_EQ(TranslateColor(0x81000005), static_cast<COLORREF>(-1));
    // A system reference is read by its low byte alone; 31 (past the menu bar's 30) is no system colour.
    EXPECT_EQ(TranslateColor(0x80FFFF05), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(TranslateColor(0x8000001E), GetSysColor(COLOR_MENUBAR));
    EXPECT_EQ(TranslateColor(0x8000001F), static_cast<COLORREF>(-1));
    // Palette entries and palette-relative colours pass through unchanged when there is no palette.
    EXPECT_EQ(TranslateColor(0x01000007), 0x01000007u);
    EXPECT_EQ(TranslateColor(0x02123456), 0x02123456u);
}

TEST(DrawingSurface, FontsRoundTripBetweenPropertyAndHandle) {
    FontDesc desc;
    desc.Name = L"Tahoma";
    desc.Size = 9;
    desc.Weight = 700;
    desc.Italic = true;
    desc.Charset = 134;
    UniqueFont font = CreatePlatformFont(desc, SystemDpi(), FontRules::Control);
    ASSERT_TRUE(font);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(font.Get(), sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -MulDiv(9, SystemDpi(), 72));
    EXPECT_EQ(DescribeFont(font.Get()), desc);
}

TEST(DrawingSurface, KeepsItsImageUntilClearedAndGrowsWithoutLosingIt) {
    DrawingSurface surface;
    surface.SetBackColor(RGB(10, 20, 30));
    ASSERT_TRUE(surface.Resize(20, 10));
    EXPECT_EQ(surface.ScaleWidth(), 20);
    EXPECT_EQ(surface.ScaleHeight(), 10);
    EXPECT_EQ(GetPixel(surface.Dc(), 19, 9), RGB(10, 20, 30));
    SetPixel(surface.Dc(), 3, 4, RGB(255, 0, 0));

    ASSERT_TRUE(surface.Resize(30, 12));
    EXPECT_EQ(GetPixel(surface.Dc(), 3, 4), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(surface.Dc(), 29, 11), RGB(10, 20, 30));

    MemoryCanvas canvas(40, 20);
    surface.CopyTo(canvas.Dc(), 5, 5);
    const Image copy = canvas.Read();
    EXPECT_EQ(copy.At(8, 9), (Rgb3{255, 0, 0}));
    EXPECT_EQ(copy.At(5, 5), (Rgb3{10, 20, 30}));
    EXPECT_EQ(copy.At(35, 17), (Rgb3{255, 255, 255}));  // one surface-sized copy, nothing more

    surface.Cls();
    EXPECT_EQ(GetPixel(surface.Dc(), 3, 4), RGB(10, 20, 30));
}

TEST(DrawingSurface, FontAndTextColorStayOnTheDcAcrossResizes) {
    DrawingSurface surface;
    FontDesc font;
    font.Name = L"Tahoma";
    font.Size = 12;
    surface.SetFont(font);  // before the bitmap exists: selected when it does
    surface.SetForeColor(RGB(1, 2, 3));
    ASSERT_TRUE(surface.Resize(10, 10));
    wchar_t face[LF_FACESIZE]{};
    GetTextFaceW(surface.Dc(), LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Tahoma");
    TEXTMETRICW tm{};
    GetTextMetricsW(surface.Dc(), &tm);
    const LONG height = tm.tmHeight;
    EXPECT_EQ(GetTextColor(surface.Dc()), RGB(1, 2, 3));

    ASSERT_TRUE(surface.Resize(50, 50));
    GetTextMetricsW(surface.Dc(), &tm);
    EXPECT_EQ(tm.tmHeight, height);
    EXPECT_EQ(GetTextColor(surface.Dc()), RGB(1, 2, 3));
    EXPECT_EQ(surface.Font(), font);
}

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
        Refresh();
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
    EXPECT_EQ(site.Ambient.Font, DescribeFont(font.Get()));
    EXPECT_EQ(site.Ambient.Font.Name, L"Tahoma");
    EXPECT_EQ(site.Extender.Name, L"NBtnLogin");
    EXPECT_EQ(site.Extender.ToolTipText, L"登录");
    EXPECT_EQ(HostedControl::FromHwnd(hwnd)->Surface().Font(), site.Ambient.Font);
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

}  // namespace
