#include <gtest/gtest.h>

#include "services/DiskRoom.h"

namespace {

constexpr std::uint64_t kMB = 1u << 20;
constexpr std::uint64_t kReserve = 256 * kMB;

TEST(DiskRoom, ThePhotoThatWouldEatIntoTheReserveIsRefused) {
    EXPECT_FALSE(DiskRoom([] { return std::optional<std::uint64_t>(kReserve - 1); }, kReserve).Fits(0))
        << "under the reserve even an empty file is refused";
    EXPECT_FALSE(DiskRoom([] { return std::optional<std::uint64_t>(); }, kReserve).Fits(0))
        << "free space that cannot be told counts as none";

    // A volume 10 bytes above the reserve, which shrinks as the file grows.
    std::uint64_t written = 0;
    DiskRoom room([&] { return std::optional<std::uint64_t>(kReserve + 10 - written); }, kReserve);
    EXPECT_TRUE(room.Fits(10));
    EXPECT_FALSE(room.Fits(11));
    ASSERT_TRUE(room.Take(4));
    written += 4;
    ASSERT_TRUE(room.Take(6)) << "the reserve itself stays free, to the byte";
    written += 6;
    EXPECT_FALSE(room.Take(1));
}

TEST(DiskRoom, WritingAsksTheVolumeAgainEveryFewMegabytesAndStopsWhenOthersFillIt) {
    std::uint64_t written = 0;
    int asked = 0;
    DiskRoom room(
        [&] {
            // After its second answer another program fills the disk up to the reserve.
            ++asked;
            return std::optional<std::uint64_t>(asked > 2 ? kReserve : kReserve + 100 * kMB - written);
        },
        kReserve);
    constexpr std::uint64_t kPiece = 64 * 1024;
    while (room.Take(kPiece)) written += kPiece;
    // Two answers granted room, the third refused: the writer stopped within one recheck span of the change.
    EXPECT_EQ(asked, 3);
    EXPECT_GE(written, DiskRoom::kRecheckBytes);
    EXPECT_LE(written, 2 * (DiskRoom::kRecheckBytes + kPiece));
}

}  // namespace
