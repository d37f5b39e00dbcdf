#include <gtest/gtest.h>

#include <string>

#include "controls/host/PropertyBag.h"

namespace {

// 宋体 9 pt as a set names it.
const FontDesc kSongTi{.Name = L"宋体", .Size = 9, .Weight = 400, .Charset = 134};

TEST(PropertyBag, ValuesEqualToTheirDefaultAreLeftOutAndReadBackAsTheDefault) {
    PropertyBag bag;
    bag.WriteInt(L"Max", 100, 100);
    bag.WriteBool(L"Enabled", true, true);
    bag.WriteText(L"Text", L"", L"");
    bag.WriteColor(L"TextEffectColor", 0xC8C8C8, 0xC8C8C8);
    bag.WriteFont(L"TextFont", kSongTi, kSongTi);
    EXPECT_TRUE(bag.Empty());
    EXPECT_EQ(bag.ReadInt(L"Max", 100), 100);
    EXPECT_EQ(bag.ReadBool(L"Enabled", true), true);
    EXPECT_EQ(bag.ReadText(L"Text", L"NicePressBar"), L"NicePressBar");
    EXPECT_EQ(bag.ReadColor(L"TextEffectColor", 0xC8C8C8), 0xC8C8C8u);
    EXPECT_EQ(bag.ReadFont(L"TextFont", kSongTi), kSongTi);

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
    EXPECT_EQ(PropertyBag::ParseFont(L"\"宋体\",9,400,False,0,0,134"), kSongTi);
    // The whole range at both ends: any colour value, the platform's "any weight" 0 and its heaviest, empty text.
    EXPECT_EQ(PropertyBag::ParseColor(L"0xFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(PropertyBag::ParseFont(L"\"A\",9,0,0,0,0,0"), (FontDesc{L"A", 9, 0, false, false, false, 0}));
    EXPECT_EQ(PropertyBag::ParseFont(L"\"A\",9,1000,0,0,0,0"), (FontDesc{L"A", 9, 1000, false, false, false, 0}));
    EXPECT_EQ(PropertyBag::ParseText(L"\"\""), L"");
}

TEST(PropertyBag, MalformedValuesReadAsNothing) {
    // No digits but ASCII ones: neither full-width ones nor U+0134 U+0132, whose low bytes would read "42".
    for (const wchar_t* bad : {L"", L"4 2", L"42x", L"0x", L"0x-5", L"0x+5", L"2147483648", L"-2147483649", L"１２",
                               L"\u0134\u0132", L"1e3"})
        EXPECT_FALSE(PropertyBag::ParseInt(bad).has_value()) << bad;
    for (const wchar_t* bad : {L"0x100000000", L"-2147483649", L"red"})
        EXPECT_FALSE(PropertyBag::ParseColor(bad).has_value()) << bad;
    for (const wchar_t* bad : {L"yes", L"2", L""}) EXPECT_FALSE(PropertyBag::ParseBool(bad).has_value()) << bad;
    for (const wchar_t* bad : {L"text", L"\"open", L"\"a\"b\"", L"\"bad \\q escape\"", L"\"ends in \\\"", L"\""})
        EXPECT_FALSE(PropertyBag::ParseText(bad).has_value()) << bad;
    for (const wchar_t* bad : {L"\"Arial\",9,400,0,0,0", L"\"Arial\",9,400,0,0,0,134,1", L"Arial,9,400,0,0,0,134",
                               L"\"Arial\",9,,0,0,0,134", L"\"Arial\",0,400,0,0,0,134", L"\"Arial\",-9,400,0,0,0,134",
                               L"\"Arial\",nan,400,0,0,0,134", L"\"Arial\",９,400,0,0,0,134",
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

}  // namespace
