#include <gtest/gtest.h>

#include "services/KeptAnswer.h"

namespace {

TEST(KeptAnswer, AnAnswerServesItsKeyUntilAnotherKeyOrItsAgeReplacesIt) {
    int made = 0;
    const std::function<int()> make = [&made] { return ++made; };
    KeptAnswer<int> fresh(1000), forever(0);  // forever's first key is the empty one, a key like any other
    const struct {
        KeptAnswer<int>* kept;
        const wchar_t* key;
        std::uint64_t nowMs;
        int answer;
    } steps[] = {
        {&fresh, L"D:\\a", 0, 1},    {&fresh, L"D:\\a", 999, 1},     {&fresh, L"D:\\a", 1000, 2},
        {&fresh, L"D:\\b", 1001, 3}, {&fresh, L"D:\\a", 1002, 4},    {&fresh, L"d:\\a", 1003, 5},
        {&forever, L"", 0, 6},       {&forever, L"", 1ull << 40, 6}, {&forever, L"D:\\b", 0, 7},
    };
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(steps[i].kept->For(steps[i].key, steps[i].nowMs, make), steps[i].answer) << "step " << i;
}

}  // namespace
