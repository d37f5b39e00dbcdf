#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "controls/host/LayoutSet.h"
#include "controls/progressbar/ProgressBarModel.h"

namespace {

FontDesc ContainerFont() {
    FontDesc font;
    font.Name = L"Tahoma";
    font.Size = 8.25;
    return font;
}

using Names = std::vector<std::wstring>;
struct RecordingSite : PropertySite {
    void PropertyChanged(std::wstring_view name) override { log.emplace_back(name); }
    Names log;
};

// A model with the range of a new instance, recording every change notification from then on.
class ProgressBarModelTest : public ::testing::Test, protected RecordingSite {
protected:
    void SetUp() override {
        model.InitProperties(ContainerFont());
        log.clear();
    }
    ProgressBarModel model{*this};
};

TEST_F(ProgressBarModelTest, MaxIsAtLeastOneAndAboveMin) {
    model.Set(&ProgressBarProperties::Max, 0);
    EXPECT_EQ(model.Props().Max, 1);
    model.Set(&ProgressBarProperties::Max, -20);
    EXPECT_EQ(model.Props().Max, 1);

    model.Set(&ProgressBarProperties::Max, 100);
    model.Set(&ProgressBarProperties::Min, 10);
    model.Set(&ProgressBarProperties::Max, 5);
    EXPECT_EQ(model.Props().Max, 11);
    model.Set(&ProgressBarProperties::Max, 10);  // equal to Min is not enough either
    EXPECT_EQ(model.Props().Max, 11);
}

TEST_F(ProgressBarModelTest, MinStaysBelowMaxAndIsNeverNegative) {
    model.SetValue(50);
    model.Set(&ProgressBarProperties::Min, 100);
    EXPECT_EQ(model.Props().Min, 99);
    EXPECT_EQ(model.Value(), 99);
    model.Set(&ProgressBarProperties::Min, -5);
    EXPECT_EQ(model.Props().Min, 0);
    EXPECT_EQ(model.Value(), 99);  // raising the range pulls Value along, lowering it does not
}

TEST_F(ProgressBarModelTest, ValueIsKeptInsideTheRange) {
    model.SetValue(150);
    EXPECT_EQ(model.Value(), 100);
    model.SetValue(-1);
    EXPECT_EQ(model.Value(), 0);
    model.Set(&ProgressBarProperties::Min, 20);
    EXPECT_EQ(model.Value(), 20);
    model.SetValue(7);
    EXPECT_EQ(model.Value(), 20);
}

TEST_F(ProgressBarModelTest, LoweringMaxBelowValueNotifiesValueBeforeMax) {
    model.SetValue(80);
    log.clear();
    model.Set(&ProgressBarProperties::Max, 60);
    EXPECT_EQ(model.Value(), 60);
    EXPECT_EQ(log, (Names{L"Value", L"Max"}));

    log.clear();
    model.Set(&ProgressBarProperties::Max, 200);  // Value inside: only Max
    EXPECT_EQ(log, (Names{L"Max"}));
}

TEST_F(ProgressBarModelTest, RaisingMinAboveValueNotifiesValueBeforeMin) {
    model.SetValue(10);
    log.clear();
    model.Set(&ProgressBarProperties::Min, 30);
    EXPECT_EQ(log, (Names{L"Value", L"Min"}));
}

TEST_F(ProgressBarModelTest, EverySetterNotifiesByItsPersistedNameEvenWithoutChange) {
    model.SetValue(model.Value());
    model.Set(&ProgressBarProperties::RoundedValue, -3);
    model.Set(&ProgressBarProperties::Enabled, false);
    model.Set(&ProgressBarProperties::Theme, 42);
    model.Set(&ProgressBarProperties::TextStyle, 9);
    model.Set(&ProgressBarProperties::Orientations, 7);
    model.Set(&ProgressBarProperties::TextAlignment, 0);
    model.Set(&ProgressBarProperties::Text, L"");
    model.Set(&ProgressBarProperties::TextEffectColor, 0x123456);
    model.Set(&ProgressBarProperties::TextEffect, -1);
    model.Set(&ProgressBarProperties::TextForeColor, 0x80000012);
    model.Set(&ProgressBarProperties::TextFont, ContainerFont());
    model.Set(&ProgressBarProperties::PBSCustomeColor1, 1);
    model.Set(&ProgressBarProperties::PBSCustomeColor2, 2);
    EXPECT_EQ(log, (Names{L"Value", L"RoundedValue", L"Enabled", L"Theme", L"TextStyle", L"Orientations",
                          L"TextAlignment", L"Text", L"TextEffectColor", L"TextEffect", L"TextForeColor", L"TextFont",
                          L"PBSCustomeColor1", L"PBSCustomeColor2"}));
    // Out-of-table values are stored as given; only the range is corrected.
    EXPECT_EQ(model.Props().RoundedValue, -3);
    EXPECT_EQ(model.Props().Theme, 42);
    EXPECT_EQ(model.Props().TextEffect, -1);
    EXPECT_EQ(model.Props().TextForeColor, 0x80000012u);
}

TEST(ProgressBarNewInstance, StartsWithItsOwnValuesInSetterOrder) {
    RecordingSite site;
    ProgressBarModel model(site);
    FontDesc font = ContainerFont();
    font.Name = L"宋体";
    model.InitProperties(font);
    EXPECT_EQ(site.log,
              (Names{L"Max", L"Min", L"Value", L"RoundedValue", L"Enabled", L"Theme", L"TextForeColor", L"Text",
                     L"TextAlignment", L"TextEffect", L"TextEffectColor", L"TextStyle", L"Orientations", L"TextFont"}));
    EXPECT_EQ(model.Props().Max, 100);
    EXPECT_EQ(model.Props().Min, 0);
    EXPECT_EQ(model.Value(), 50);
    EXPECT_EQ(model.Props().RoundedValue, 5);
    EXPECT_TRUE(model.Props().Enabled);
    EXPECT_EQ(model.Props().Theme, 1);
    EXPECT_EQ(model.Props().TextForeColor, 0u);
    EXPECT_EQ(model.Props().Text, L"Q7MX ProgressBar");
    EXPECT_EQ(model.Props().TextAlignment, 5);
    EXPECT_EQ(model.Props().TextEffect, 5);
    EXPECT_EQ(model.Props().TextEffectColor, 0xFFFFFFu);
    EXPECT_EQ(model.Props().TextStyle, 3);
    EXPECT_EQ(model.Props().Orientations, 1);
    EXPECT_EQ(model.Props().TextFont, font);
}

TEST(ProgressBarPersistence, ANewInstanceSavesTheFourPropertiesWhoseDefaultsDiffer) {
    ProgressBarModel model;
    model.InitProperties(ContainerFont());
    PropertyBag bag;
    model.WriteProperties(bag, ContainerFont());
    std::vector<std::wstring> names;
    for (const auto& entry : bag.Entries()) names.push_back(entry.name);
    // In the write order: TextStyle 8, Text 12, TextEffectColor 13, TextEffect 14.
    EXPECT_EQ(names, (Names{L"TextStyle", L"Text", L"TextEffectColor", L"TextEffect"}));
    EXPECT_EQ(bag.ReadInt(L"TextStyle", 1), 3);
    EXPECT_EQ(bag.ReadText(L"Text", L""), L"Q7MX ProgressBar");
    EXPECT_EQ(bag.ReadColor(L"TextEffectColor", 0), 0xFFFFFFu);
    EXPECT_EQ(bag.ReadInt(L"TextEffect", 1), 5);
}

TEST(ProgressBarPersistence, EveryPropertyIsWrittenInItsOrderAndReadsBack) {
    FontDesc font;
    font.Name = L"宋体";
    font.Size = 9;
    font.Charset = 134;
    font.Italic = true;
    ProgressBarModel model;
    model.InitProperties(ContainerFont());
    model.Set(&ProgressBarProperties::Orientations, 2);
    model.Set(&ProgressBarProperties::Max, 400);
    model.Set(&ProgressBarProperties::Min, 3);
    model.SetValue(7);
    model.Set(&ProgressBarProperties::RoundedValue, 0);
    model.Set(&ProgressBarProperties::Enabled, false);
    model.Set(&ProgressBarProperties::Theme, 10);
    model.Set(&ProgressBarProperties::TextStyle, 2);
    model.Set(&ProgressBarProperties::TextFont, font);
    model.Set(&ProgressBarProperties::TextForeColor, 0x0000FF);
    model.Set(&ProgressBarProperties::TextAlignment, 9);
    model.Set(&ProgressBarProperties::Text, L"下载 \"quoted\"\n");
    model.Set(&ProgressBarProperties::TextEffectColor, 0x80000005);
    model.Set(&ProgressBarProperties::TextEffect, 4);
    model.Set(&ProgressBarProperties::PBSCustomeColor2, 0x102030);
    model.Set(&ProgressBarProperties::PBSCustomeColor1, 0x405060);

    PropertyBag bag;
    model.WriteProperties(bag, ContainerFont());
    std::vector<std::wstring> names;
    for (const auto& entry : bag.Entries()) names.push_back(entry.name);
    EXPECT_EQ(names, (Names{L"Orientations", L"Max", L"Min", L"Value", L"RoundedValue", L"Enabled", L"Theme",
                            L"TextStyle", L"TextFont", L"TextForeColor", L"TextAlignment", L"Text", L"TextEffectColor",
                            L"TextEffect", L"PBSCustomeColor2", L"PBSCustomeColor1"}));

    // Through the layout text into a fresh control, which writes the very same set again.
    LayoutSet set;
    set.Block(L"Bar") = bag;
    const std::string text = set.Serialize();
    RecordingSite site;
    ProgressBarModel restored(site);
    restored.ReadProperties(*LayoutSet::Parse(text).Find(L"Bar"), L"Bar", ContainerFont());
    // A fresh control's Value 0 is pulled up to the saved Min before the saved Value is read.
    EXPECT_EQ(site.log, (Names{L"Max", L"Value", L"Min", L"Value", L"RoundedValue", L"Enabled", L"Theme", L"TextStyle",
                               L"Orientations", L"Text", L"TextEffectColor", L"TextEffect", L"TextAlignment",
                               L"TextFont", L"TextForeColor", L"PBSCustomeColor2", L"PBSCustomeColor1"}));
    LayoutSet again;
    restored.WriteProperties(again.Block(L"Bar"), ContainerFont());
    EXPECT_EQ(again.Serialize(), text);
}

TEST(ProgressBarPersistence, ASetHoldingOnlyTheThemeRestoresTheSavedDefaults) {
    PropertyBag bag;
    bag.WriteInt(L"Theme", 8);
    ProgressBarModel model;
    model.ReadProperties(bag, L"Bar1", ContainerFont());
    EXPECT_EQ(model.Props().Theme, 8);
    EXPECT_EQ(model.Value(), 50);
    EXPECT_EQ(model.Props().Max, 100);
    EXPECT_EQ(model.Props().Min, 0);
    EXPECT_EQ(model.Props().RoundedValue, 5);
    EXPECT_TRUE(model.Props().Enabled);
    EXPECT_EQ(model.Props().TextStyle, 1);
    EXPECT_EQ(model.Props().Orientations, 1);
    EXPECT_EQ(model.Props().TextEffect, 1);
    EXPECT_EQ(model.Props().TextEffectColor, 0xC8C8C8u);
    EXPECT_EQ(model.Props().TextAlignment, 5);
    EXPECT_EQ(model.Props().TextForeColor, 0u);
    EXPECT_EQ(model.Props().TextFont, ContainerFont());
    EXPECT_EQ(model.Props().Text, L"Bar1");

    // And it writes back as exactly that set, except for the text, which now differs from empty.
    PropertyBag again;
    again.WriteInt(L"Max", 7);  // written whole: an entry of an earlier set does not stay
    model.WriteProperties(again, ContainerFont());
    ASSERT_EQ(again.Entries().size(), 2u);
    EXPECT_EQ(again.Entries()[0].name, L"Theme");
    EXPECT_EQ(again.Entries()[1].name, L"Text");
}

TEST(ProgressBarPersistence, AnEmptyTextSavesNothingAndReadsBackAsTheDisplayName) {
    ProgressBarModel model;
    model.InitProperties(ContainerFont());
    model.Set(&ProgressBarProperties::Text, L"");
    PropertyBag bag;
    model.WriteProperties(bag, ContainerFont());
    EXPECT_FALSE(bag.Has(L"Text"));
    ProgressBarModel restored;
    restored.ReadProperties(bag, L"NicePressBar", ContainerFont());
    EXPECT_EQ(restored.Props().Text, L"NicePressBar");
}

TEST(ProgressBarPersistence, RangeRulesApplyInReadOrderMaxMinValue) {
    PropertyBag bag;
    bag.WriteInt(L"Value", 150);
    bag.WriteInt(L"Min", 120);
    bag.WriteInt(L"Max", 200);
    ProgressBarModel model;
    model.ReadProperties(bag, L"Bar", ContainerFont());
    EXPECT_EQ(model.Props().Max, 200);
    EXPECT_EQ(model.Props().Min, 120);
    EXPECT_EQ(model.Value(), 150);

    // A saved Min at or above the saved Max is pulled below it before Value is read.
    PropertyBag odd;
    odd.WriteInt(L"Max", 10);
    odd.WriteInt(L"Min", 30);
    odd.WriteInt(L"Value", 3);
    ProgressBarModel fresh;
    fresh.ReadProperties(odd, L"Bar", ContainerFont());
    EXPECT_EQ(fresh.Props().Max, 10);
    EXPECT_EQ(fresh.Props().Min, 9);
    EXPECT_EQ(fresh.Value(), 9);
}

TEST(ProgressBarPersistence, AnUnreadableEntryLeavesOnlyItsPropertyAsItWas) {
    ProgressBarModel model;
    model.InitProperties(ContainerFont());
    model.Set(&ProgressBarProperties::Theme, 4);
    PropertyBag bag;
    bag.WriteRaw(L"Theme", L"eight");
    bag.WriteRaw(L"Enabled", L"maybe");
    bag.WriteRaw(L"Text", L"no quotes");
    bag.WriteRaw(L"TextFont", L"\"Arial\", 9");
    bag.WriteRaw(L"TextEffectColor", L"0xZZ");
    bag.WriteInt(L"TextAlignment", 3);
    model.ReadProperties(bag, L"Bar", ContainerFont());
    EXPECT_EQ(model.Props().Theme, 4);
    EXPECT_TRUE(model.Props().Enabled);
    EXPECT_EQ(model.Props().Text, L"Q7MX ProgressBar");
    EXPECT_EQ(model.Props().TextFont, ContainerFont());
    EXPECT_EQ(model.Props().TextEffectColor, 0xFFFFFFu);
    EXPECT_EQ(model.Props().TextAlignment, 3);
    EXPECT_EQ(model.Props().TextStyle, 1);  // missing: its reading default
}

// The main window's own set, as compiled into the program.
TEST(ProgressBarPersistence, NicePressBarCarriesItsLayoutValues) {
    std::ifstream file(VERDALY_LAYOUT_FILE, std::ios::binary);
    ASSERT_TRUE(file) << "layout file missing: " << VERDALY_LAYOUT_FILE;
    std::stringstream text;
    text << file.rdbuf();
    const LayoutSet layout = LayoutSet::Parse(text.str());
    const PropertyBag* bag = layout.Find(L"NicePressBar");
    ASSERT_NE(bag, nullptr);

    FontDesc windowFont = DefaultControlFont();  // whatever the window's font is, the bar's own font wins
    ProgressBarModel model;
    model.ReadProperties(*bag, L"NicePressBar", windowFont);
    EXPECT_EQ(model.Value(), 0);
    EXPECT_EQ(model.Props().Max, 100);
    EXPECT_EQ(model.Props().Min, 0);
    EXPECT_EQ(model.Props().RoundedValue, 5);
    EXPECT_TRUE(model.Props().Enabled);
    EXPECT_EQ(model.Props().Theme, 8);
    EXPECT_EQ(model.Props().TextStyle, 2);
    EXPECT_EQ(model.Props().Orientations, 1);
    EXPECT_EQ(model.Props().Text, L"NicePressBar");
    EXPECT_EQ(model.Props().TextEffect, 1);
    EXPECT_EQ(model.Props().TextEffectColor, 0xC8C8C8u);
    EXPECT_EQ(model.Props().TextAlignment, 5);
    EXPECT_EQ(model.Props().TextForeColor, 0u);
    EXPECT_EQ(model.Props().PBSCustomeColor1, 0u);
    EXPECT_EQ(model.Props().PBSCustomeColor2, 0u);
    EXPECT_EQ(model.Props().TextFont, (FontDesc{L"宋体", 9.0, 400, false, false, false, 134}));

    // Nothing else is stored: every other entry would be a default the set need not carry.
    PropertyBag written;
    model.WriteProperties(written, windowFont);
    EXPECT_EQ(written.Entries().size(), bag->Entries().size());
}

}  // namespace
