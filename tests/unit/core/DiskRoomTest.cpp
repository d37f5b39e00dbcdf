#include <gtest/gtest.h>

#include "services/DiskRoom.h"
#include "services/KeptAnswer.h"

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

TEST(KeptAnswer, AnAnswerServesItsKeyUntilAnotherKeyOrItsAgeReplacesIt) {
    int made = 0;
    const std::function<int()> make = [&made] { return ++made; };
    KeptAnswer<int> fresh(1000), forever(0);
    const struct {
        KeptAnswer<int>* kept;
        const wchar_t* key;
        std::uint64_t nowMs;
        int answer;
    } steps[] = {
        {&fresh, L"D:\\a", 0, 1},     {&fresh, L"D:\\a", 999, 1},  {&fresh, L"D:\\a", 1000, 2},
        {&fresh, L"D:\\b", 1001, 3},  {&fresh, L"D:\\a", 1002, 4},  {&fresh, L"d:\\a", 1003, 5},
        {&forever, L"D:\\a", 0, 6},   {&forever, L"D:\\a", 1ull << 40, 6}, {&forever, L"D:\\b", 0, 7},
    };
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(steps[i].kept->For(steps[i].key, steps[i].nowMs, make), steps[i].answer) << "step " << i;
}

}  // namespace
