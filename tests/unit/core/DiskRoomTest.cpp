#include <gtest/gtest.h>

#include <tuple>

#include "services/DiskRoom.h"

namespace {

constexpr std::uint64_t kMB = 1u << 20;
constexpr std::uint64_t kReserve = 256 * kMB;

TEST(DiskRoom, ThePhotoThatWouldEatIntoTheReserveIsRefused) {
    // Under the reserve even an empty file is refused, at it one fits; free space that cannot be told is none.
    const std::pair<std::optional<std::uint64_t>, bool> volumes[] = {
        {kReserve - 1, false}, {kReserve, true}, {std::nullopt, false}};
    for (const auto& volume : volumes)
        EXPECT_EQ(DiskRoom([&volume] { return volume.first; }, kReserve).Fits(0), volume.second) << volume.second;

    // A volume 10 bytes above the reserve, which shrinks as the file grows. The volume is asked only when the
    // room it granted last does not answer the question.
    std::uint64_t written = 0;
    int asked = 0;
    DiskRoom room([&] { return ++asked, std::optional<std::uint64_t>(kReserve + 10 - written); }, kReserve);
    const std::tuple<bool, std::uint64_t, bool, int> steps[] = {{false, 10, true, 1},  {false, 10, true, 1},
                                                                {false, 11, false, 2}, {true, 4, true, 3},
                                                                {true, 6, true, 3},    {true, 1, false, 4}};
    for (const auto& [take, size, ok, asks] : steps) {
        EXPECT_EQ(take ? room.Take(size) : room.Fits(size), ok) << size;
        EXPECT_EQ(asked, asks) << size;
        if (take && ok) written += size;
    }
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
