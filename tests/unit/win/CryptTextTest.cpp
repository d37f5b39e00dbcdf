#include <gtest/gtest.h>
#include <windows.h>

#include "services/win/AnsiText.h"
#include "services/win/CryptText.h"

namespace {

TEST(Platform, AnsiCodePageIs936) {
    EXPECT_EQ(GetACP(), 936u);
}

// The shifts themselves are modCrypt's; here what the text's trip through code page 936 adds.
TEST(CryptText, TextsComeBackThroughCodePage936OrAreRefused) {
    // 啊 is B0 A1: B0 + 14 and A1 - 12 stay in range. An empty text converts to no bytes, not to a failure.
    for (const std::wstring text : {L"\u554a", L"p&ss=w+rd%20", L""}) {
        const auto stored = ScrambleText(text, kCryptKey);
        ASSERT_TRUE(stored) << WideToAnsi(text);
        EXPECT_EQ(UnscrambleText(*stored, kCryptKey), text);
    }
    // No code in the page (Thai); GBK F7 FE, whose F7 + 14 leaves the byte; 0x18 at r = 4, which K = 18 shifts
    // by -11 to CR and so would split the settings line.
    for (const std::wstring text : {L"\u0E01", L"\u9F44", L"aaa\x18"})
        EXPECT_FALSE(ScrambleText(text, kCryptKey).has_value()) << WideToAnsi(text);
}

}  // namespace
