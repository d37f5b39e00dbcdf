// The drawing surface our controls paint on, and the platform fonts it selects.

#include <gtest/gtest.h>
#include <windows.h>

#include "controls/host/win/DrawingSurface.h"
#include "winmsg/win/PlatformFont.h"
#include "HostTestSupport.h"

namespace {

using namespace pixel_test;

TEST(DrawingSurface, FontsRoundTripBetweenPropertyAndHandle) {
    FontDesc desc;
    desc.Name = L"Tahoma";
    desc.Size = 9;
    desc.Weight = 700;
    desc.Italic = true;
    desc.Charset = 134;
    constexpr int kDpi = 144;
    UniqueFont font = CreatePlatformFont(desc, kDpi, FontRules::Control);
    ASSERT_TRUE(font);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(font.Get(), sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -MulDiv(9, kDpi, 72));
    EXPECT_EQ(DescribeFont(font.Get(), kDpi), desc);
}

TEST(DrawingSurface, KeepsItsImageUntilClearedAndGrowsWithoutLosingIt) {
    DrawingSurface surface;
    surface.SetBackColor(Rgb(10, 20, 30));
    ASSERT_TRUE(surface.Resize(20, 10));
    EXPECT_EQ(surface.ScaleWidth(), 20);
    EXPECT_EQ(surface.ScaleHeight(), 10);
    EXPECT_EQ(GetPixel(surface.Dc(), 19, 9), RGB(10, 20, 30));
    SetPixel(surface.Dc(), 3, 4, RGB(255, 0, 0));

    ASSERT_TRUE(surface.Resize(30, 12));
    EXPECT_EQ(GetPixel(surface.Dc(), 3, 4), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(surface.Dc(), 29, 11), RGB(10, 20, 30));

    MemoryCanvas canvas(40, 20);
    surface.CopyTo(canvas.Dc(), 5, 5);
    const Image copy = canvas.Read();
    EXPECT_EQ(copy.At(8, 9), (Rgb3{255, 0, 0}));
    EXPECT_EQ(copy.At(5, 5), (Rgb3{10, 20, 30}));
    EXPECT_EQ(copy.At(35, 17), (Rgb3{255, 255, 255}));  // one surface-sized copy, nothing more

    surface.Cls();
    EXPECT_EQ(GetPixel(surface.Dc(), 3, 4), RGB(10, 20, 30));
}

TEST(DrawingSurface, FontAndTextColorStayOnTheDcAcrossResizes) {
    DrawingSurface surface;
    FontDesc font;
    font.Name = L"Tahoma";
    font.Size = 12;
    surface.SetFont(font);  // before the bitmap exists: selected when it does
    surface.SetForeColor(Rgb(1, 2, 3));
    ASSERT_TRUE(surface.Resize(10, 10));
    wchar_t face[LF_FACESIZE]{};
    GetTextFaceW(surface.Dc(), LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Tahoma");
    TEXTMETRICW tm{};
    GetTextMetricsW(surface.Dc(), &tm);
    const LONG height = tm.tmHeight;
    EXPECT_EQ(GetTextColor(surface.Dc()), RGB(1, 2, 3));

    ASSERT_TRUE(surface.Resize(50, 50));
    GetTextMetricsW(surface.Dc(), &tm);
    EXPECT_EQ(tm.tmHeight, height);
    EXPECT_EQ(GetTextColor(surface.Dc()), RGB(1, 2, 3));
    EXPECT_EQ(surface.Font(), font);
}

}  // namespace
