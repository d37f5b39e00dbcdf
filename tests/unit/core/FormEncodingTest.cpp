#include <gtest/gtest.h>

#include "services/FormEncoding.h"

namespace {

using FormEncoding::EncodeChar;

TEST(FormEncoding, DoubleByteCodesBecomeTwoUpperCaseEscapesAndTheFormKeepsItsThreeFields) {
    // 啊 is B0 A1 in code page 936: read as signed 16 bits it is negative.
    EXPECT_EQ(EncodeChar(L'\u554a', static_cast<short>(0xB0A1)), L"%B0%A1");
    // Lead bytes 81 and FE, the ends of the range, survive the division by 255.
    EXPECT_EQ(EncodeChar(L'x', static_cast<short>(0x8140)), L"%81%40");
    EXPECT_EQ(EncodeChar(L'x', static_cast<short>(0xFEFE)), L"%FE%FE");
    EXPECT_EQ(EncodeChar(L'a', 'a'), L"a");
    EXPECT_EQ(EncodeChar(L'&', '&'), L"&");
    EXPECT_EQ(FormEncoding::LoginBody(L"a+b@c.d", L"p&w=1%"), L"email=a%2Bb@c.d&password=p%26w%3D1%25&autoLogin=true");
    EXPECT_EQ(FormEncoding::LoginBody(L"u@x.cn", L"plain"), L"email=u@x.cn&password=plain&autoLogin=true");
}

}  // namespace
