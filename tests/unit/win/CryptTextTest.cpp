#include <gtest/gtest.h>
#include <windows.h>

#include "services/win/AnsiText.h"
#include "services/win/CryptText.h"

namespace {

TEST(Platform, AnsiCodePageIs936) {
    EXPECT_EQ(GetACP(), 936u);
}

TEST(CryptText, ScrambledBytesRestoreTheTypedText) {
    for (const std::wstring text : {L"user@example.com", L"p&ss=w+rd%20", L"", L"~ !\"#$%&'()*+,-./"}) {
        const auto stored = ScrambleText(text, kCryptKey);
        ASSERT_TRUE(stored) << WideToAnsi(text);
        EXPECT_EQ(UnscrambleText(*stored, kCryptKey), text);
    }
}

TEST(CryptText, TextsThatCannotRestoreExactlyAreRefused) {
    // 啊 is B0 A1 in code page 936: B0 + 14 stays in range, A1 - 12 too, so it round-trips...
    const auto chinese = ScrambleText(L"\u554a", kCryptKey);
    ASSERT_TRUE(chinese);
    EXPECT_EQ(UnscrambleText(*chinese, kCryptKey), L"\u554a");
    // ...but a character with no code in the page, or one whose bytes leave 0..255 when shifted, is refused.
    EXPECT_FALSE(ScrambleText(L"\u0E01", kCryptKey).has_value());  // Thai: no GBK code
    EXPECT_FALSE(ScrambleText(L"\u9F44", kCryptKey).has_value());  // GBK F7 FE: F7 + 14 > 255
}

TEST(CryptText, ScrambledBytesNeverBreakASettingsLine) {
    // r = 4 subtracts 11 with K = 18: 0x18 would become CR (0x0D) - refused rather than stored.
    EXPECT_FALSE(ScrambleText(std::wstring(L"aaa") + L'\x18', kCryptKey).has_value());
}

}  // namespace
