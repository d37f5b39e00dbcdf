#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "services/win/Http.h"
#include "services/win/HttpText.h"

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

TEST(Collect, StopsPastItsSizeOrItsTime) {
    std::string body;
    const Http::Sink sink = Http::Collect(&body, 10, 0);
    EXPECT_TRUE(sink("12345", 5));
    EXPECT_TRUE(sink("67890", 5));
    EXPECT_FALSE(sink("x", 1)) << "one byte past the limit ends the transfer";
    EXPECT_EQ(body, "1234567890");

    // The time counts from the first chunk, not from making the collector.
    std::string late;
    const Http::Sink timed = Http::Collect(&late, 100, 1);
    Sleep(50);
    EXPECT_TRUE(timed("a", 1));
    Sleep(50);
    EXPECT_FALSE(timed("b", 1));
    EXPECT_EQ(late, "a");
}

}  // namespace
