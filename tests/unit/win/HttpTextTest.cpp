#include <gtest/gtest.h>

#include "Http.h"

namespace {

TEST(URLEncode, OnlyDoubleByteCharactersAreEscaped) {
    EXPECT_EQ(Http::URLEncode(L""), L"");
    EXPECT_EQ(Http::URLEncode(L"email=a@b.c&password=x y"), L"email=a@b.c&password=x y");
    EXPECT_EQ(Http::URLEncode(L"\u554a"), L"%B0%A1");
    EXPECT_EQ(Http::URLEncode(L"a\u4e2d\u6587b"), L"a%D6%D0%CE%C4b");
    // An escape made before encoding is not encoded again.
    EXPECT_EQ(Http::URLEncode(L"p%26w"), L"p%26w");
    // A character without a code in the page counts as "?" (63), a single byte: it passes as it is.
    EXPECT_EQ(Http::URLEncode(L"\u0E01"), L"\u0E01");
}

TEST(BytesToText, DecodesUtf8AndRefusesUnknownSets) {
    EXPECT_EQ(Http::BytesToText("\xE4\xB8\xAD\xE6\x96\x87", L"UTF-8"), L"\u4e2d\u6587");
    EXPECT_EQ(Http::BytesToText("\xEF\xBB\xBFok", L"utf-8"), L"ok");
    EXPECT_EQ(Http::BytesToText("\xD6\xD0", L"GBK"), L"\u4e2d");
    EXPECT_EQ(Http::BytesToText("x", L"EBCDIC"), std::nullopt);
}

}  // namespace
