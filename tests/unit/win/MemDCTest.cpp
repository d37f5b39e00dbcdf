// Off-screen surfaces: they only grow, a picture's pixels are copied into them, and nothing is left over.

#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <cstdint>

#include "Handles.h"
#include "Picture.h"
#include "cMemDC.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255),
                   kBlack = RGB(0, 0, 0), kYellow = RGB(255, 255, 0), kGrey = RGB(128, 128, 128);

// 3 × 2 pixels: red green blue / white black yellow.
constexpr COLORREF kPicture[2][3] = {{kRed, kGreen, kBlue}, {kWhite, kBlack, kYellow}};

Picture MakePicture() {
    std::uint32_t bits[6];
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const COLORREF c = kPicture[y][x];
            bits[y * 3 + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return Picture(UniqueBitmap(CreateBitmap(3, 2, 1, 32, bits)));
}

void Fill(const cMemDC& surface, COLORREF colour) {
    const UniqueBrush brush(CreateSolidBrush(colour));
    const RECT all{0, 0, surface.Width(), surface.Height()};
    FillRect(surface.hdc(), &all, brush.Get());
}

void ExpectPicture(const cMemDC& surface) {
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(GetPixel(surface.hdc(), x, y), kPicture[y][x]) << x << "," << y;
}

TEST(MemorySurface, GrowsOnlyAndGrowingDiscardsTheContent) {
    cMemDC surface;
    EXPECT_EQ(surface.hdc(), nullptr);
    surface.Width(0);
    surface.Height(-3);
    EXPECT_EQ(surface.hdc(), nullptr) << "a request that grows nothing made a surface";

    surface.Width(10);
    EXPECT_NE(surface.hdc(), nullptr);
    EXPECT_EQ(surface.Width(), 10);
    EXPECT_EQ(surface.Height(), 0);
    surface.Height(5);
    EXPECT_EQ(surface.Width(), 10);
    EXPECT_EQ(surface.Height(), 5);

    Fill(surface, kGrey);
    surface.Width(4);
    surface.Height(5);
    EXPECT_EQ(surface.Width(), 10);
    EXPECT_EQ(surface.Height(), 5);
    EXPECT_EQ(GetPixel(surface.hdc(), 9, 4), kGrey) << "a smaller request lost the content";

    surface.Height(8);
    EXPECT_EQ(surface.Width(), 10);
    EXPECT_EQ(surface.Height(), 8);
    EXPECT_NE(GetPixel(surface.hdc(), 9, 4), kGrey) << "the grown surface kept the old content";
}

TEST(MemorySurface, TakesAPrivateCopyOfAPictureAndKeepsALargerSize) {
    cMemDC fresh;
    {
        const Picture picture = MakePicture();
        ASSERT_TRUE(fresh.CreateFromPicture(picture));
        // The picture's bitmap is free again: it can be selected elsewhere.
        const UniqueMemDC other(CreateCompatibleDC(nullptr));
        EXPECT_TRUE(SelectGuard(other.Get(), picture.Bitmap()).Selected());
    }
    EXPECT_EQ(fresh.Width(), 3);
    EXPECT_EQ(fresh.Height(), 2);
    ExpectPicture(fresh);

    cMemDC larger;
    larger.Width(20);
    larger.Height(10);
    Fill(larger, kGrey);
    ASSERT_TRUE(larger.CreateFromPicture(MakePicture()));
    EXPECT_EQ(larger.Width(), 20);
    EXPECT_EQ(larger.Height(), 10);
    ExpectPicture(larger);
    for (const POINT p : {POINT{3, 0}, POINT{0, 2}, POINT{19, 9}}) EXPECT_EQ(GetPixel(larger.hdc(), p.x, p.y), kGrey);

    // An icon is no bitmap: refused, the surface unchanged.
    const Picture icon(UniqueIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))));
    EXPECT_FALSE(larger.CreateFromPicture(icon));
    EXPECT_FALSE(larger.CreateFromPicture(Picture()));
    EXPECT_EQ(larger.Width(), 20);
    ExpectPicture(larger);
}

// GetGuiResources is a stub under Wine (it answers 0): there the live entries of the GDI handle table that the
// process block points to are counted instead. Windows and Wine lay its 24-byte entries out alike: the owner's
// process id at offset 8 (0 in Wine's table, which is the process's own), the object type at offset 14 (0 once
// the entry is free).
DWORD GdiObjectCount() {
    if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    PROCESS_BASIC_INFORMATION info{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0)
        return 0;
    constexpr size_t kGdiHandleTableOffset = 0xF8;  // in the 64-bit process block
    const auto* peb = reinterpret_cast<const std::uint8_t*>(info.PebBaseAddress);
    const auto* table = *reinterpret_cast<const std::uint8_t* const*>(peb + kGdiHandleTableOffset);
    if (!table) return 0;
    const auto pid = static_cast<std::uint16_t>(GetCurrentProcessId());
    DWORD count = 0;
    for (size_t i = 0; i < 0x10000; ++i) {
        const std::uint8_t* entry = table + i * 24;
        const auto owner = *reinterpret_cast<const std::uint16_t*>(entry + 8);
        const auto type = *reinterpret_cast<const std::uint16_t*>(entry + 14);
        count += type != 0 && (owner == pid || owner == 0);
    }
    return count;
}

TEST(MemorySurface, AThousandSurfacesLeaveNoGdiObjectBehind) {
    const Picture picture = MakePicture();
    const DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u) << "GDI objects cannot be counted here";
    for (int i = 0; i < 1000; ++i) {
        cMemDC surface;
        surface.Width(8);
        surface.Height(4 + i % 3);
        ASSERT_TRUE(surface.CreateFromPicture(picture));
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
