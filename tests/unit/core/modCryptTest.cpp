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

TEST(Scramble, FollowsTheSixPositionTableAndOnlyTheKeysNumber) {
    // r = 1..5, 0, then 1 again: shifts K-4, -K+6, K+1, -K+7, K, -K+2; K = 18 for the program's key, 0 for none.
    const struct {
        const char* text;
        const char* key;
        int shifts[7];
    } cases[] = {{"AAAAAAA", "tevoranish", {14, -12, 19, -11, 18, -16, 14}}, {"ddddddd", "", {-4, 6, 1, 7, 0, 2, -4}}};
    for (const auto& c : cases) {
        const auto out = ScrambleBytes(c.text, c.key);
        ASSERT_TRUE(out);
        ASSERT_EQ(out->size(), 7u);
        for (size_t i = 0; i < 7; ++i)
            EXPECT_EQ(static_cast<unsigned char>((*out)[i]), c.text[i] + c.shifts[i]) << c.key << i;
    }
    EXPECT_EQ(ScrambleBytes("", "tevoranish"), "");
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
