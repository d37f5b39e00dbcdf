#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/host/ControlSite.h"
#include "controls/host/LayoutSet.h"
#include "controls/host/PropertyBag.h"
#include "winmsg/Utf8.h"

namespace {

FontDesc SongTi() {
    FontDesc font;
    font.Name = L"宋体";
    font.Size = 9;
    font.Weight = 400;
    font.Charset = 134;
    return font;
}

TEST(PropertyBag, ValuesEqualToTheirDefaultAreLeftOutAndReadBackAsTheDefault) {
    PropertyBag bag;
    bag.WriteInt(L"Max", 100, 100);
    bag.WriteBool(L"Enabled", true, true);
    bag.WriteText(L"Text", L"", L"");
    bag.WriteColor(L"TextEffectColor", 0xC8C8C8, 0xC8C8C8);
    bag.WriteFont(L"TextFont", SongTi(), SongTi());
    EXPECT_TRUE(bag.Empty());
    EXPECT_EQ(bag.ReadInt(L"Max", 100), 100);
    EXPECT_EQ(bag.ReadBool(L"Enabled", true), true);
    EXPECT_EQ(bag.ReadText(L"Text", L"NicePressBar"), L"NicePressBar");
    EXPECT_EQ(bag.ReadColor(L"TextEffectColor", 0xC8C8C8), 0xC8C8C8u);
    EXPECT_EQ(bag.ReadFont(L"TextFont", SongTi()), SongTi());

    // Writing the default over a stored value takes the entry out again.
    bag.WriteInt(L"Max", 7, 100);
    EXPECT_TRUE(bag.Has(L"Max"));
    bag.WriteInt(L"Max", 100, 100);
    EXPECT_FALSE(bag.Has(L"Max"));
}

TEST(PropertyBag, EveryKindRoundTripsThroughItsTextForm) {
    FontDesc odd;
    odd.Name = L"Face, with \"quotes\" and \\";
    odd.Size = 8.25;
    odd.Weight = 700;
    odd.Italic = odd.Underline = odd.Strikethrough = true;
    odd.Charset = 255;

    PropertyBag bag;
    bag.WriteInt(L"Neg", -2147483647 - 1);
    bag.WriteInt(L"Big", 2147483647);
    bag.WriteBool(L"No", false);
    bag.WriteText(L"Text", L"下 载\t\"a\\b\"\r\n");
    bag.WriteColor(L"Sys", 0x8000000F);
    bag.WriteColor(L"White", 0xFFFFFF);
    bag.WriteFont(L"Font", odd);

    EXPECT_EQ(bag.ReadInt(L"Neg", 0), -2147483647 - 1);
    EXPECT_EQ(bag.ReadInt(L"Big", 0), 2147483647);
    EXPECT_EQ(bag.ReadBool(L"No", true), false);
    EXPECT_EQ(bag.ReadText(L"Text", L""), L"下 载\t\"a\\b\"\r\n");
    EXPECT_EQ(bag.ReadColor(L"Sys", 0), 0x8000000Fu);
    EXPECT_EQ(bag.ReadColor(L"White", 0), 0xFFFFFFu);
    EXPECT_EQ(bag.ReadFont(L"Font", DefaultControlFont()), odd);
    EXPECT_EQ(*bag.Raw(L"White"), L"0x00FFFFFF");

    // Rewriting an entry keeps its place.
    bag.WriteInt(L"Neg", 5);
    EXPECT_EQ(bag.Entries()[0].name, L"Neg");
    EXPECT_EQ(bag.ReadInt(L"Neg", 0), 5);
}

TEST(PropertyBag, LenientWhereAHandWrittenLayoutMightDiffer) {
    EXPECT_EQ(PropertyBag::ParseInt(L"  42 "), 42);
    EXPECT_EQ(PropertyBag::ParseInt(L"0x10"), 16);
    EXPECT_EQ(PropertyBag::ParseColor(L"13158600"), 0xC8C8C8u);
    EXPECT_EQ(PropertyBag::ParseColor(L"-1"), 0xFFFFFFFFu);
    EXPECT_EQ(PropertyBag::ParseBool(L"TRUE"), true);
    EXPECT_EQ(PropertyBag::ParseBool(L"-1"), true);
    EXPECT_EQ(PropertyBag::ParseBool(L"0"), false);
    EXPECT_EQ(PropertyBag::ParseFont(L"\"宋体\",9,400,False,0,0,134"), SongTi());
}

TEST(PropertyBag, MalformedValuesReadAsNothing) {
    for (const wchar_t* bad :
         {L"", L"4 2", L"42x", L"0x", L"0x-5", L"0x+5", L"2147483648", L"-2147483649", L"１２", L"1e3"})
        EXPECT_FALSE(PropertyBag::ParseInt(bad).has_value()) << bad;
    for (const wchar_t* bad : {L"0x100000000", L"-2147483649", L"red"})
        EXPECT_FALSE(PropertyBag::ParseColor(bad).has_value()) << bad;
    for (const wchar_t* bad : {L"yes", L"2", L""}) EXPECT_FALSE(PropertyBag::ParseBool(bad).has_value()) << bad;
    for (const wchar_t* bad : {L"text", L"\"open", L"\"a\"b\"", L"\"bad \\q escape\"", L"\"ends in \\\"", L"\""})
        EXPECT_FALSE(PropertyBag::ParseText(bad).has_value()) << bad;
    for (const wchar_t* bad :
         {L"\"Arial\",9,400,0,0,0", L"\"Arial\",9,400,0,0,0,134,1", L"Arial,9,400,0,0,0,134",
          L"\"Arial\",0,400,0,0,0,134", L"\"Arial\",-9,400,0,0,0,134", L"\"Arial\",nan,400,0,0,0,134",
          L"\"Arial\",9,1001,0,0,0,134", L"\"Arial\",9,400,0,0,0,256", L"\"Arial\",9,400,2,0,0,0"})
        EXPECT_FALSE(PropertyBag::ParseFont(bad).has_value()) << bad;

    PropertyBag bag;
    bag.WriteRaw(L"Max", L"lots");
    EXPECT_FALSE(bag.ReadInt(L"Max", 100).has_value());  // present but unreadable: not the default
}

TEST(PropertyBag, EntriesThatWouldNotReadBackAreNotWritten) {
    PropertyBag bag;
    bag.WriteRaw(L"Picture", L"line one\nline two");
    bag.WriteRaw(L"A=B", L"1");
    bag.WriteRaw(L"", L"1");
    EXPECT_TRUE(bag.Empty());
}

TEST(LayoutSet, ParsesBlocksEntriesAndComments) {
    const std::string text =
        "\xEF\xBB\xBF# comment\r\n"
        "; another\r\n"
        "Orphan = 1\r\n"
        "\r\n"
        "[NicePressBar]\r\n"
        "  Value = 0  \r\n"
        "Theme=8\r\n"
        "TextFont = \"宋体\", 9, 400, 0, 0, 0, 134\r\n"
        "Text = \"a = b\"\r\n"
        "[NBtnLogin]\n"
        "Caption = \"登 录\"";  // no final line break
    const LayoutSet set = LayoutSet::Parse(text);
    ASSERT_EQ(set.Blocks().size(), 2u);
    const PropertyBag* bar = set.Find(L"NicePressBar");
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Entries().size(), 4u);
    EXPECT_EQ(bar->ReadInt(L"Value", 50), 0);
    EXPECT_EQ(bar->ReadInt(L"Theme", 1), 8);
    EXPECT_EQ(bar->ReadFont(L"TextFont", DefaultControlFont()), SongTi());
    EXPECT_EQ(bar->ReadText(L"Text", L""), L"a = b");
    EXPECT_FALSE(bar->Has(L"Orphan"));
    ASSERT_NE(set.Find(L"NBtnLogin"), nullptr);
    EXPECT_EQ(set.Find(L"NBtnLogin")->ReadText(L"Caption", L""), L"登 录");
    EXPECT_EQ(set.Find(L"Missing"), nullptr);
}

TEST(LayoutSet, DamagedLinesCostOnlyThemselves) {
    const std::string text =
        "[Bar]\n"
        "Theme = 8\n"
        "no equals sign here\n"
        " = 5\n"
        "[unterminated\n"
        "Value = 3\n"  // belongs to no block: the damaged header closed Bar
        "[]\n"
        "Max = 9\n"
        "[Bar]\n"
        "TextStyle = 2\n"
        "Theme = 9\n";  // a repeated block adds to the first, a repeated entry replaces
    const LayoutSet set = LayoutSet::Parse(text);
    ASSERT_EQ(set.Blocks().size(), 1u);
    const PropertyBag& bar = *set.Find(L"Bar");
    ASSERT_EQ(bar.Entries().size(), 2u);
    EXPECT_EQ(bar.ReadInt(L"Theme", 1), 9);
    EXPECT_EQ(bar.ReadInt(L"TextStyle", 1), 2);
    EXPECT_FALSE(bar.Has(L"Value"));
    EXPECT_FALSE(bar.Has(L"Max"));
}

TEST(LayoutSet, SerializeAndParseAgainGiveTheSameSets) {
    LayoutSet set;
    PropertyBag& bar = set.Block(L"NicePressBar");
    bar.WriteInt(L"Value", 0);
    bar.WriteText(L"Text", L"  spaced [x] = y # not a comment\n");
    bar.WriteFont(L"TextFont", SongTi());
    set.Block(L"按钮").WriteColor(L"BackColor", 0x8000000F);
    const LayoutSet again = LayoutSet::Parse(set.Serialize());
    ASSERT_EQ(again.Blocks().size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(again.Blocks()[i].first, set.Blocks()[i].first);
        const auto& want = set.Blocks()[i].second.Entries();
        const auto& got = again.Blocks()[i].second.Entries();
        ASSERT_EQ(got.size(), want.size());
        for (size_t j = 0; j < got.size(); ++j) {
            EXPECT_EQ(got[j].name, want[j].name);
            EXPECT_EQ(got[j].value, want[j].value);
        }
    }
    EXPECT_EQ(again.Find(L"NicePressBar")->ReadText(L"Text", L""), L"  spaced [x] = y # not a comment\n");
}

TEST(LayoutSet, Utf8ConversionReplacesWhatIsNotUtf8) {
    EXPECT_EQ(Utf8ToWide("\xE5\xAE\x8B\xE4\xBD\x93"), L"宋体");
    EXPECT_EQ(WideToUtf8(L"宋体"), "\xE5\xAE\x8B\xE4\xBD\x93");
    const std::wstring emoji = Utf8ToWide("\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(emoji), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a\xFFFD"
              L"b");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\xFFFD");          // overlong '/'
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\xFFFD");      // a surrogate written as UTF-8
    EXPECT_EQ(Utf8ToWide("\xE5\xAE"), L"\xFFFD\xFFFD");    // cut short
    EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), L"\xFFFD");  // above U+10FFFF
}

TEST(ControlSite, ListenersHearEveryChangeInOrder) {
    ControlSite site;
    std::vector<std::wstring> first, second;
    const int a = site.Subscribe([&](std::wstring_view name) { first.emplace_back(name); });
    site.Subscribe([&](std::wstring_view name) { second.emplace_back(name); });
    EXPECT_FALSE(site.Changed());
    site.PropertyChanged(L"Value");
    site.Unsubscribe(a);
    site.PropertyChanged(L"Max");
    EXPECT_EQ(first, (std::vector<std::wstring>{L"Value"}));
    EXPECT_EQ(second, (std::vector<std::wstring>{L"Value", L"Max"}));
    EXPECT_TRUE(site.Changed());
    site.ClearChanged();
    EXPECT_FALSE(site.Changed());
}

TEST(ControlSite, AListenerMayUnsubscribeItselfWhileItIsTold) {
    ControlSite site;
    int calls = 0;
    int token = 0;
    token = site.Subscribe([&](std::wstring_view) {
        ++calls;
        site.Unsubscribe(token);
    });
    site.PropertyChanged(L"Value");
    site.PropertyChanged(L"Value");
    EXPECT_EQ(calls, 1);
}

}  // namespace
