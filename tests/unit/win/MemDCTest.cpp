// Off-screen surfaces: they only grow, a picture's pixels are copied into them, and nothing is left over.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "GdiObjects.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/Picture.h"
#include "skin/win/cMemDC.h"

namespace {

constexpr COLORREF kGray = RGB(128, 128, 128);
// 3 × 2 pixels: red green blue / white black yellow, as 0x00RRGGBB.
constexpr std::uint32_t kPixels[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00};

Picture MakePicture() {
    return Picture(UniqueBitmap(CreateBitmap(3, 2, 1, 32, kPixels)));
}

void Fill(const cMemDC& surface, COLORREF color) {
    const UniqueBrush brush(CreateSolidBrush(color));
    const RECT all{0, 0, surface.Width(), surface.Height()};
    FillRect(surface.hdc(), &all, brush.Get());
}

void ExpectPicture(const cMemDC& surface) {
    for (int i = 0; i < 6; ++i) {
        const std::uint32_t p = kPixels[i];
        EXPECT_EQ(GetPixel(surface.hdc(), i % 3, i / 3), RGB(p >> 16, (p >> 8) & 0xFF, p & 0xFF)) << "pixel " << i;
    }
}

TEST(MemorySurface, GrowsOnlyAndGrowingDiscardsTheContent) {
    cMemDC surface;
    surface.Grow(0, -3);
    EXPECT_EQ(surface.hdc(), nullptr);
    surface.Grow(10, 0);
    EXPECT_NE(surface.hdc(), nullptr);
    EXPECT_EQ(surface.Height(), 0);
    surface.Grow(10, 5);
    Fill(surface, kGray);

    surface.Grow(4, 5);
    EXPECT_EQ(GetPixel(surface.hdc(), 9, 4), kGray) << "a smaller request lost the content";
    surface.Grow(10, 8);
    EXPECT_EQ(surface.Width(), 10);
    EXPECT_EQ(surface.Height(), 8);
    EXPECT_NE(GetPixel(surface.hdc(), 9, 4), kGray) << "the grown surface kept the old content";
    surface.Grow(6, 9);
    EXPECT_EQ(surface.Width(), 10);
    EXPECT_EQ(surface.Height(), 9);
}

TEST(MemorySurface, TakesAPrivateCopyOfAPictureAndKeepsALargerSize) {
    cMemDC fresh;
    {
        const Picture picture = MakePicture();
        ASSERT_TRUE(fresh.CreateFromPicture(picture));
        const UniqueMemDC other(CreateCompatibleDC(nullptr));
        EXPECT_TRUE(SelectGuard(other.Get(), picture.Bitmap()).Selected()) << "the picture was left selected";
    }
    EXPECT_EQ(fresh.Width(), 3);
    EXPECT_EQ(fresh.Height(), 2);
    ExpectPicture(fresh);

    cMemDC larger;
    larger.Grow(20, 10);
    Fill(larger, kGray);
    ASSERT_TRUE(larger.CreateFromPicture(MakePicture()));
    EXPECT_EQ(larger.Width(), 20);
    EXPECT_EQ(larger.Height(), 10);
    ExpectPicture(larger);
    EXPECT_EQ(GetPixel(larger.hdc(), 3, 0), kGray);
    EXPECT_EQ(GetPixel(larger.hdc(), 0, 2), kGray);
    EXPECT_FALSE(larger.CreateFromPicture(Picture(UniqueIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))))));
}

TEST(MemorySurface, AThousandSurfacesLeaveNoGdiObjectBehind) {
    const Picture picture = MakePicture();
    const DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u) << "GDI objects cannot be counted here";
    for (int i = 0; i < 1000; ++i) {
        cMemDC surface;
        surface.Grow(8, 0);
        surface.Grow(8, 4 + i % 3);  // the first surface replaced
        ASSERT_TRUE(surface.CreateFromPicture(picture));
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
