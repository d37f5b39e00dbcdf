#include <gtest/gtest.h>

#include <string>

#include "controls/host/LayoutSet.h"
#include "controls/host/PropertyBag.h"
#include "winmsg/Utf8.h"

namespace {

// 宋体 9 pt as a set names it.
const FontDesc kSongTi{.Name = L"宋体", .Size = 9, .Weight = 400, .Charset = 134};

TEST(LayoutSet, ParsesBlocksEntriesAndComments) {
    const std::string text =
        "\xEF\xBB\xBF# comment\r\n"
        "; another\r\n"
        "Orphan = 1\r\n"
        "\r\n"
        "[Bar]\r\n"
        "  Value = 7  \r\n"
        "Theme=3\r\n"
        "TextFont = \"宋体\", 9, 400, 0, 0, 0, 134\r\n"
        "Text = \"a = b\"\r\n"
        "[NBtn]\n"
        "Caption = \"登 录\"";  // no final line break
    const LayoutSet set = LayoutSet::Parse(text);
    ASSERT_EQ(set.Blocks().size(), 2u);
    const PropertyBag* bar = set.Find(L"Bar");
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Entries().size(), 4u);
    EXPECT_EQ(bar->ReadInt(L"Value", 50), 7);
    EXPECT_EQ(bar->ReadInt(L"Theme", 1), 3);
    EXPECT_EQ(bar->ReadFont(L"TextFont", DefaultControlFont()), kSongTi);
    EXPECT_EQ(bar->ReadText(L"Text", L""), L"a = b");
    EXPECT_FALSE(bar->Has(L"Orphan"));
    ASSERT_NE(set.Find(L"NBtn"), nullptr);
    EXPECT_EQ(set.Find(L"NBtn")->ReadText(L"Caption", L""), L"登 录");
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

TEST(LayoutSet, WritesBlocksApartAndReadsThemBackTheSame) {
    LayoutSet set;
    PropertyBag& bar = set.Block(L"Bar");
    bar.WriteInt(L"Value", 0);
    bar.WriteText(L"Text", L"  spaced [x] = y # not a comment\n");
    set.Block(L"按钮").WriteColor(L"BackColor", 0x8000000F);
    const std::string text = set.Serialize();
    EXPECT_EQ(text,
              "[Bar]\nValue = 0\nText = \"  spaced [x] = y # not a comment\\n\"\n"
              "\n[按钮]\nBackColor = 0x8000000F\n");
    const LayoutSet again = LayoutSet::Parse(text);
    EXPECT_EQ(again.Serialize(), text);
    EXPECT_EQ(again.Find(L"Bar")->ReadText(L"Text", L""), L"  spaced [x] = y # not a comment\n");
}

TEST(LayoutSet, Utf8ConversionReplacesWhatIsNotUtf8) {
    EXPECT_EQ(Utf8ToWide("\xE5\xAE\x8B\xE4\xBD\x93"), L"宋体");
    EXPECT_EQ(WideToUtf8(L"宋体"), "\xE5\xAE\x8B\xE4\xBD\x93");
    const std::wstring emoji = Utf8ToWide("\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(emoji), "\xF0\x9F\x98\x80");
    const struct {
        const char* utf8;
        const wchar_t* wide;
    } cases[] = {
        {"a\xFF\x62", L"a\xFFFD\x62"},
        {"\x80", L"\xFFFD"},          // a continuation byte alone
        {"\xC3\x41", L"\xFFFD\x41"},  // a lead byte without its continuation
        {"\xC2\x80", L"\x80"},        // the smallest two-byte code
        {"\xC0\xAF", L"\xFFFD"},      // overlong '/'
        {"\xED\xA0\x80", L"\xFFFD"},  // a surrogate written as UTF-8, first and last
        {"\xED\xBF\xBF", L"\xFFFD"},
        {"\xE5\xAE", L"\xFFFD\xFFFD"},        // cut short
        {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},  // the last code point, and one past it
        {"\xF4\x90\x80\x80", L"\xFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
}

}  // namespace
