#include <gtest/gtest.h>
#include <windows.h>
#include <olectl.h>

#include <ios>

#include "winmsg/win/ColorTranslate.h"

namespace {

// The one translation answers as the platform's own, OleTranslateColor without a palette, for every kind of value.
TEST(ColorTranslate, AnswersAsThePlatformsOleTranslateColor) {
    const OleColor values[] = {
        0x00000000, 0x00123456, 0x00FFFFFF,                          // plain colours
        0x01000005, 0x0100FFFF, 0x02123456,                          // palette entries, palette-relative
        0x80000000, 0x8000000F, 0x80000012, 0x8000001E,              // system colours
        0x8000001F, 0x800000FF,                                      // past the last system colour
        0x80FFFF05, 0x80000105,                                      // stray bits beside the index
        0x03000000, 0x05FF0000, 0x7F000000, 0x81000000, 0x81000005,  // no kind of colour
        0xFF000000, 0xFFFFFFFF,
    };
    for (const OleColor value : values) {
        COLORREF platform = 0;
        const bool known = SUCCEEDED(OleTranslateColor(value, nullptr, &platform));
        EXPECT_EQ(TranslateColor(value), known ? ColorRef{platform} : kFailedColor) << std::hex << value;
    }
}

}  // namespace
