#include <gtest/gtest.h>

#include "services/modCrypt.h"

namespace {

using modCrypt::KeyNumber;
using modCrypt::ScrambleBytes;
using modCrypt::UnscrambleBytes;

TEST(KeyNumber, FromTheSumOfTheKeysCodes) {
    EXPECT_EQ(KeyNumber("tevoranish"), 18);  // sum 1091
    EXPECT_EQ(KeyNumber(""), 0);
    EXPECT_EQ(KeyNumber("aaaaaaaaaa"), 16);  // sum 970
    EXPECT_EQ(KeyNumber("zzzzzzzzzz"), 20);  // sum 1220
    EXPECT_EQ(KeyNumber("\xFF\xFF"), 8);     // codes count unsigned: sum 510
}

TEST(Scramble, FollowsTheSixPositionTableWithK18) {
    // r = 1..5, 0, then 1 again: shifts K-4, -K+6, K+1, -K+7, K, -K+2.
    const auto out = ScrambleBytes("AAAAAAA", "tevoranish");
    ASSERT_TRUE(out);
    const int a = 'A';
    const int expected[] = {a + 14, a - 12, a + 19, a - 11, a + 18, a - 16, a + 14};
    ASSERT_EQ(out->size(), 7u);
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(static_cast<unsigned char>((*out)[i]), expected[i]) << i;
}

TEST(Scramble, EmptyKeyShiftsByTheBareConstants) {
    const auto out = ScrambleBytes("dddddd", "");
    ASSERT_TRUE(out);
    const int d = 'd';
    const int expected[] = {d - 4, d + 6, d + 1, d + 7, d, d + 2};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(static_cast<unsigned char>((*out)[i]), expected[i]) << i;
    EXPECT_EQ(ScrambleBytes("", "tevoranish"), "");
}

TEST(Scramble, KeysWithTheSameNumberScrambleAlike) {
    EXPECT_EQ(ScrambleBytes("secret@mail.com", "tevoranish"), ScrambleBytes("secret@mail.com", "hsinarovet"));
}

TEST(Scramble, EveryPrintableAsciiTextRoundTrips) {
    for (int first = 32; first <= 126; ++first) {
        std::string text;
        for (int i = 0; i < 13; ++i) text += static_cast<char>(32 + (first - 32 + i * 7) % 95);
        const auto scrambled = ScrambleBytes(text, "tevoranish");
        ASSERT_TRUE(scrambled);
        for (const char c : *scrambled) {
            const auto u = static_cast<unsigned char>(c);
            EXPECT_TRUE(u >= 14 && u <= 147) << u;
        }
        EXPECT_EQ(UnscrambleBytes(*scrambled, "tevoranish"), text);
    }
}

TEST(Scramble, CodesLeavingTheByteRangeAreRefusedNotDropped) {
    // 0xFF at r = 1 would become 0xFF + 14: the text cannot be stored so that it restores.
    EXPECT_FALSE(ScrambleBytes("\xFF", "tevoranish").has_value());
    // A low code at r = 2 would go below zero.
    EXPECT_FALSE(ScrambleBytes("a\x05", "tevoranish").has_value());
    EXPECT_FALSE(UnscrambleBytes("\x01", "tevoranish").has_value());
}

}  // namespace
