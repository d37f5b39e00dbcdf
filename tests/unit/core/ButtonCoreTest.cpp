#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/host/LayoutSet.h"

namespace {

using namespace button;
using button_test::RecordingSite;
using button_test::TextPicture;

std::vector<std::wstring> Names(const PropertyBag& bag) {
    std::vector<std::wstring> names;
    for (const auto& e : bag.Entries()) names.push_back(e.name);
    return names;
}

class ButtonPersistence : public ::testing::Test {
protected:
    ButtonPersistence() : core(site) {}
    RecordingSite site;
    ButtonCore core;
};

TEST_F(ButtonPersistence, NewButtonStartsAsStyleZeroNamedAfterItsInstance) {
    core.InitProperties();
    const ButtonProperties& p = core.Props();
    EXPECT_EQ(p.Style, StyleEdge3D);
    EXPECT_EQ(p.Caption, L"Command1");
    EXPECT_EQ(p.BackColor, ToOleColor(Rgb(240, 240, 240)));
    EXPECT_EQ(p.HighlightColor, ToOleColor(Rgb(0, 120, 215)));
    EXPECT_EQ(p.ToolTipType, 1);
    EXPECT_EQ(p.NonThemeStyle, 0);
    EXPECT_EQ(p.MaskColor, 0u);
    EXPECT_EQ(p.Font.Name, L"Verdana");
    EXPECT_DOUBLE_EQ(p.Font.Size, 8.25);
    EXPECT_EQ(core.Fields().CaptionFormat, dt::kCenter | dt::kVCenter | dt::kWordBreak);
}

TEST_F(ButtonPersistence, WritesInItsOrderUnderItsOwnNamesAndOmitsDefaults) {
    core.InitProperties();
    core.Set(&ButtonProperties::Caption, L"");
    PropertyBag bag;
    bag.WriteText(L"Caption", L"from an earlier set");  // written whole: nothing of this stays
    core.WriteProperties(bag);
    // New button: style 0 differs from the set's default 3, IconAlign 0 from 1, iNonThemeStyle 0 from 5,
    // ttForeColor 0 from the tooltip-background colour, MaskColor 0 from 12632256. ttBackColor's default is the
    // tooltip *text* colour, black here, so its 0 is left out.
    const std::vector<std::wstring> expected{L"Icon",         L"Style",       L"IconAlign",   L"iNonThemeStyle",
                                             L"Tooltiptitle", L"ToolTipIcon", L"ToolTipType", L"ttForeColor",
                                             L"Font",         L"MaskColor"};
    EXPECT_EQ(Names(bag), expected);
    EXPECT_EQ(*bag.ReadColor(L"ttForeColor", 1), 0u);
    EXPECT_EQ(*bag.ReadColor(L"MaskColor", 1), 0u);

    RecordingSite grayText;
    grayText.infoText = Rgb(50, 50, 50);
    ButtonCore other(grayText);
    other.InitProperties();
    PropertyBag second;
    other.WriteProperties(second);
    EXPECT_EQ(second.ReadColor(L"ttBackColor", 1), 0u) << "where the tooltip text is not black, 0 is written";
}

TEST_F(ButtonPersistence, EverythingChangedIsWrittenInTheFixedOrder) {
    core.InitProperties();
    core.Set(&ButtonProperties::Style, StyleGradientBevel);
    core.Set(&ButtonProperties::Caption, L"登 录");
    core.Set(&ButtonProperties::IconSize, 24);
    core.Set(&ButtonProperties::IconAlign, IconRight);
    core.Set(&ButtonProperties::CaptionAlign, CaptionBottom);
    core.Set(&ButtonProperties::NonThemeStyle, 2);
    core.Set(&ButtonProperties::Enabled, false);
    core.Set(&ButtonProperties::ShowFocus, true);
    core.Set(&ButtonProperties::UseCustomColors, true);
    core.Set(&ButtonProperties::BackColor, ToOleColor(Rgb(1, 2, 3)));
    core.Set(&ButtonProperties::HighlightColor, ToOleColor(Rgb(4, 5, 6)));
    core.Set(&ButtonProperties::FontColor, ToOleColor(Rgb(7, 8, 9)));
    core.Set(&ButtonProperties::FontHighlightColor, ToOleColor(Rgb(10, 11, 12)));
    site.extenderToolTip = L"tip";
    core.Set(&ButtonProperties::ToolTipTitle, L"Title");
    core.Set(&ButtonProperties::ToolTipIcon, 2);
    core.Set(&ButtonProperties::ToolTipType, 0);
    core.Set(&ButtonProperties::ToolTipBackColor, ToOleColor(Rgb(20, 20, 20)));
    core.Set(&ButtonProperties::ToolTipForeColor, ToOleColor(Rgb(30, 30, 30)));
    core.Set(&ButtonProperties::Font, FontDesc{L"微软雅黑", 9, 400, false, false, false, 134});
    core.Set(&ButtonProperties::ButtonType, ButtonCheck);
    core.Set(&ButtonProperties::Value, true);
    core.Set(&ButtonProperties::MaskColor, ToOleColor(Rgb(255, 0, 255)));
    core.Set(&ButtonProperties::UseMaskColor, true);
    core.Set(&ButtonProperties::MousePointer, 11);
    core.Set(&ButtonProperties::Icon, std::make_shared<TextPicture>(L"pic:7"));

    PropertyBag bag;
    core.WriteProperties(bag);
    const std::vector<std::wstring> expected{
        L"Icon",         L"Style",          L"Caption",     L"IconSize",           L"IconAlign",
        L"CaptionAlign", L"iNonThemeStyle", L"Enabled",     L"ShowFocus",          L"USeCustomColors",
        L"BackColor",    L"HighlightColor", L"FontColor",   L"FontHighlightColor", L"ToolTipText",
        L"Tooltiptitle", L"ToolTipIcon",    L"ToolTipType", L"ttBackColor",        L"ttForeColor",
        L"Font",         L"ButtonType",     L"Value",       L"MaskColor",          L"UseMaskColor",
        L"MousePointer"};
    EXPECT_EQ(Names(bag), expected);

    // Through the layout text into a fresh button, which writes the very same set again where the extender holds
    // other tooltip text, as here.
    LayoutSet layout;
    layout.Block(L"NBtnLogin") = bag;
    const std::string text = layout.Serialize();
    RecordingSite site2;
    ButtonCore loaded(site2);
    loaded.ReadProperties(*LayoutSet::Parse(text).Find(L"NBtnLogin"));
    EXPECT_EQ(site2.Count(L"disable"), 1) << "a stored Enabled false keeps input away from the window too";
    site2.extenderToolTip = L"tip";
    LayoutSet again;
    loaded.WriteProperties(again.Block(L"NBtnLogin"));
    EXPECT_EQ(again.Serialize(), text);
}

TEST_F(ButtonPersistence, MissingEntriesReadAsTheSetDefaults) {
    core.InitProperties();
    core.Set(&ButtonProperties::Caption, L"old");
    core.Fields().ButtonState = kStatePressed;
    core.ReadProperties(PropertyBag{});
    const ButtonProperties& p = core.Props();
    EXPECT_EQ(core.Fields().ButtonState, kStateNormal);
    EXPECT_EQ(p.Style, StyleDoubleFrame);
    EXPECT_EQ(p.Caption, L"");
    EXPECT_EQ(p.IconSize, 16);
    EXPECT_EQ(p.IconAlign, IconLeft);
    EXPECT_EQ(p.NonThemeStyle, StyleSkinned);
    EXPECT_EQ(p.ToolTipType, 1);
    EXPECT_EQ(p.ToolTipBackColor, ToOleColor(Rgb(0, 0, 0))) << "the tooltip-text colour";
    EXPECT_EQ(p.ToolTipForeColor, ToOleColor(Rgb(255, 255, 225))) << "the tooltip-background colour";
    EXPECT_EQ(p.MaskColor, 12632256u);
    EXPECT_EQ(p.FontColor, ToOleColor(Rgb(0, 0, 0)));
}

TEST_F(ButtonPersistence, ASetWithoutAFontKeepsTheFontTheSurfaceHolds) {
    core.ReadProperties(PropertyBag{});
    EXPECT_EQ(core.Props().Font, site.surfaceFont) << "the container's font, not the new button's Verdana";
}

TEST_F(ButtonPersistence, ToolTipTextIsReadTwiceForTheExtenderAndForTheButton) {
    core.InitProperties();
    core.Set(&ButtonProperties::ToolTipText, L"mine");
    PropertyBag bag;
    bag.WriteText(L"ToolTipText", L"stored");
    core.ReadProperties(bag);
    EXPECT_EQ(site.extenderToolTip, L"stored");
    EXPECT_EQ(core.Props().ToolTipText, L"stored");

    // Without the entry the extender keeps the button's own text, and the button's own becomes "".
    core.Set(&ButtonProperties::ToolTipText, L"mine");
    site.extenderToolTip = L"other";
    core.ReadProperties(PropertyBag{});
    EXPECT_EQ(site.extenderToolTip, L"mine");
    EXPECT_EQ(core.Props().ToolTipText, L"");

    // Written only when it differs from the extender's text.
    PropertyBag out;
    site.extenderToolTip = L"";
    core.WriteProperties(out);
    EXPECT_FALSE(out.Has(L"ToolTipText"));
}

TEST_F(ButtonPersistence, HookAndTrackingOnlyAtRunTime) {
    site.userMode = false;
    core.ReadProperties(PropertyBag{});
    EXPECT_EQ(site.Count(L"hook"), 0);
    site.userMode = true;
    site.trackingAvailable = false;
    core.ReadProperties(PropertyBag{});
    EXPECT_FALSE(core.Fields().CanTrackLeave);
    EXPECT_EQ(site.Count(L"hook"), 0);
    site.trackingAvailable = true;
    core.ReadProperties(PropertyBag{});
    EXPECT_TRUE(core.Fields().CanTrackLeave);
    EXPECT_EQ(site.Count(L"hook"), 1);
}

TEST(ButtonSetters, NotifyByTheirNamesThenLayOutOrRepaint) {
    RecordingSite site;
    ButtonCore core(site);
    core.InitProperties();
    site.log.clear();
    core.Set(&ButtonProperties::ToolTipTitle, L"t");
    core.Set(&ButtonProperties::ToolTipIcon, 1);
    core.Set(&ButtonProperties::Caption, L"c");
    core.Set(&ButtonProperties::UseCustomColors, true);
    core.Set(&ButtonProperties::MousePointer, 2);
    const std::vector<std::wstring> expected{L"notify TooltipTitle", L"repaint",  L"notify TooltipIcon",     L"repaint",
                                             L"notify Caption",      L"relayout", L"notify UseCustomColors", L"repaint",
                                             L"notify MousePointer", L"pointer"};
    EXPECT_EQ(site.log, expected);

    core.Fields().ButtonState = kStateHover;
    site.log.clear();
    core.Set(&ButtonProperties::Enabled, false);
    EXPECT_EQ(core.Fields().ButtonState, kStateNormal);
    EXPECT_EQ(site.log, (std::vector<std::wstring>{L"notify Enabled", L"repaint", L"disable"}));
}

TEST(ButtonInput, ClicksKeysAndTheHookFollowTheStateMachine) {
    RecordingSite site;
    ButtonCore core(site);
    core.InitProperties();

    core.MouseDown(kSecondaryButton);
    core.MouseUp(kSecondaryButton);
    core.ContainerClick();
    EXPECT_EQ(core.Fields().ButtonState, kStateNormal);
    EXPECT_EQ(site.Count(L"Click"), 0) << "the secondary button changes nothing";
    core.DoubleClick();
    EXPECT_EQ(core.Fields().ButtonState, kStateNormal) << "nor does its double click";

    core.MouseDown(kPrimaryButton);
    EXPECT_EQ(core.Fields().ButtonState, kStatePressed);
    core.MouseUp(kPrimaryButton);
    core.ContainerClick();
    EXPECT_EQ(core.Fields().ButtonState, kStateHover);
    EXPECT_EQ(site.Count(L"Click"), 1);
    core.DoubleClick();
    EXPECT_EQ(core.Fields().ButtonState, kStatePressed) << "the primary button's second press presses again";
    core.MouseUp(kPrimaryButton);

    core.KeyDown(kKeySpace);
    core.KeyUp(kKeyEnter);
    EXPECT_EQ(core.Fields().ButtonState, kStatePressed) << "only Space's own release lets go";
    core.KeyUp(kKeySpace);
    EXPECT_EQ(core.Fields().ButtonState, kStateHover);
    core.KeyPress(kKeyEnter);
    EXPECT_EQ(site.Count(L"Click"), 1) << "Enter does nothing on the button";
    core.KeyDown(kKeyRight);
    core.KeyDown(kKeyLeft);
    EXPECT_EQ(site.Count(L"focus next"), 1);
    EXPECT_EQ(site.Count(L"focus previous"), 1);

    core.MouseUp(kSecondaryButton);
    core.AccessKeyPress();
    EXPECT_EQ(site.Count(L"Click"), 2) << "an access key clicks whatever mouse button was released last";
    EXPECT_EQ(core.Fields().ButtonState, kStateNormal);

    site.extenderToolTip = L"hint";
    core.HookMouseMove();
    core.HookMouseMove();
    EXPECT_EQ(site.Count(L"MouseEnter"), 1);
    EXPECT_EQ(site.Count(L"track"), 1);
    EXPECT_EQ(site.extenderToolTip, L"") << "the container shows no tooltip of its own meanwhile";
    EXPECT_EQ(core.Props().ToolTipText, L"hint");
    core.HookMouseLeave();
    EXPECT_EQ(site.extenderToolTip, L"hint");
    EXPECT_EQ(site.Count(L"tooltip-"), 1);
    EXPECT_EQ(site.Count(L"MouseLeave"), 1);
    EXPECT_EQ(core.Fields().ButtonState, kStateNormal);

    const int repaints = site.Count(L"repaint");
    core.AmbientChanged(L"UserMode");
    EXPECT_EQ(site.Count(L"repaint"), repaints);
    core.AmbientChanged(L"DisplayAsDefault");
    EXPECT_EQ(site.Count(L"repaint"), repaints + 1) << "the default-button marking is drawn";

    core.HookMouseMove();
    core.Hide();
    EXPECT_EQ(site.extenderToolTip, L"hint") << "hiding gives the extender its text back";
}

// Every way of clicking raises one Click, toggles a check button and leaves the button unpressed.
TEST(ButtonInput, EachWayOfClickingClicksOnceAndTogglesACheckButton) {
    const struct {
        const char* name;
        void (*click)(ButtonCore&);
    } ways[] = {
        {"mouse",
         [](ButtonCore& c) {
             c.MouseDown(kPrimaryButton);
             c.MouseUp(kPrimaryButton);
             c.ContainerClick();
         }},
        {"Space",
         [](ButtonCore& c) {
             c.KeyDown(kKeySpace);
             c.KeyPress(kKeySpace);
             c.KeyUp(kKeySpace);
         }},
        {"access key", [](ButtonCore& c) { c.AccessKeyPress(); }},
    };
    for (const auto& way : ways) {
        for (const std::int32_t type : {ButtonPush, ButtonCheck}) {
            SCOPED_TRACE(std::string(way.name) + (type == ButtonCheck ? ", check button" : ", push button"));
            RecordingSite site;
            ButtonCore core(site);
            core.InitProperties();
            core.Set(&ButtonProperties::ButtonType, type);
            way.click(core);
            EXPECT_EQ(site.Count(L"Click"), 1);
            EXPECT_EQ(core.Props().Value, type == ButtonCheck);
            EXPECT_NE(core.Fields().ButtonState, kStatePressed);
        }
    }
}

TEST(ButtonInput, NothingMoreIsDoneOnceAHandlerTookTheControlWithItsWindow) {
    RecordingSite site;
    ButtonCore core(site);
    site.destroyedByHandlers = true;
    site.extenderToolTip = L"hint";

    core.AccessKeyPress();
    EXPECT_EQ(site.Count(L"Click"), 1);
    EXPECT_EQ(core.Fields().ButtonState, kStateHover) << "the state after the click is not written any more";

    core.HookMouseMove();
    EXPECT_EQ(site.Count(L"MouseEnter"), 1);
    EXPECT_EQ(site.Count(L"tooltip+"), 0) << "no tooltip for a control that is gone";
    EXPECT_EQ(site.extenderToolTip, L"hint");
}

TEST(ButtonLayout, CaptionFlagsAndTextRectFollowTheAlignment) {
    RecordingSite site;
    ButtonCore core(site);
    core.InitProperties();
    core.Set(&ButtonProperties::CaptionAlign, CaptionRight);
    core.Layout(57, 25);
    EXPECT_EQ(core.Fields().TextRect, (Rect{4, 4, 53, 21}));
    EXPECT_EQ(core.Fields().CaptionFormat, dt::kRight | dt::kVCenter | dt::kSingleLine);
    core.Set(&ButtonProperties::CaptionAlign, 9);
    core.Layout(57, 25);
    EXPECT_EQ(core.Fields().CaptionFormat, dt::kRight | dt::kVCenter | dt::kSingleLine) << "unknown value keeps";
    EXPECT_EQ(CaptionFormatFor(CaptionTop, 0), dt::kCenter | dt::kSingleLine);
    EXPECT_EQ(CaptionFormatFor(CaptionBottom, 0), dt::kCenter | dt::kBottom | dt::kSingleLine);
    EXPECT_EQ(MinimumSidePixels(96), 20);
    EXPECT_EQ(MinimumSidePixels(144), 30);
    // Where rounding and truncation part: 20.83, 17.5 and 22.5 pixels (halves to the even neighbour).
    EXPECT_EQ(MinimumSidePixels(100), 21);
    EXPECT_EQ(MinimumSidePixels(84), 18);
    EXPECT_EQ(MinimumSidePixels(108), 22);
}

}  // namespace
