#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "DiskRoom.h"

namespace {

constexpr std::uint64_t kMB = 1u << 20;
constexpr std::uint64_t kReserve = 256 * kMB;

// A volume whose free space follows a script, one answer per question (the last answer repeats).
struct Volume {
    std::vector<std::optional<std::uint64_t>> answers;
    size_t asked = 0;
    DiskRoom Room() {
        return DiskRoom([this] { return answers[std::min(asked++, answers.size() - 1)]; }, kReserve);
    }
};

TEST(DiskRoom, ThePhotoThatWouldEatIntoTheReserveIsRefused) {
    Volume below{{kReserve - 1}};
    EXPECT_FALSE(below.Room().Fits(0)) << "under the reserve even an empty file is refused";
    Volume unknown{{std::nullopt}};
    EXPECT_FALSE(unknown.Room().Fits(0)) << "free space that cannot be told counts as none";

    Volume edge{{kReserve + 10}};
    DiskRoom room = edge.Room();
    EXPECT_TRUE(room.Fits(10));
    EXPECT_FALSE(room.Fits(11));
    EXPECT_TRUE(room.Take(4));
    EXPECT_TRUE(room.Take(6)) << "the reserve itself stays free, to the byte";
    EXPECT_FALSE(room.Take(1));
}

TEST(DiskRoom, WritingAsksTheVolumeAgainEveryFewMegabytesAndStopsWhenOthersFillIt) {
    // Plenty of room at first; then another program fills the disk up to the reserve.
    Volume volume{{kReserve + 100 * kMB, kReserve + 100 * kMB, kReserve}};
    DiskRoom room = volume.Room();
    std::uint64_t written = 0;
    constexpr std::uint64_t kPiece = 64 * 1024;
    while (room.Take(kPiece)) written += kPiece;
    // Two answers granted room, the third refused: the writer stopped within one recheck span of the change.
    EXPECT_EQ(volume.asked, 3u);
    EXPECT_GE(written, DiskRoom::kRecheckBytes);
    EXPECT_LE(written, 2 * (DiskRoom::kRecheckBytes + kPiece));
}

}  // namespace
