#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "services/RetryPolicy.h"

namespace {

constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

TEST(RetryPolicy, OnlyServerErrorsAndTooManyRequestsPassAndAPauseIsTakenWhenTheServerAllowsItAndTimeIsLeft) {
    for (const std::uint32_t status : {429u, 500u, 503u, 599u}) EXPECT_TRUE(Retry::IsPassingStatus(status)) << status;
    for (const std::uint32_t status : {200u, 404u, 428u, 430u, 499u, 600u, 0u})
        EXPECT_FALSE(Retry::IsPassingStatus(status)) << status;
    const std::optional<std::uint32_t> none;
    const struct {
        int triesMade;
        const wchar_t* retryAfter;
        std::uint64_t msLeft;
        std::optional<std::uint32_t> pause;
    } cases[] = {
        // clang-format off
        {1, L"", kNoLimit, 500}, {2, L"", kNoLimit, 1000}, {3, L"", kNoLimit, none}, {3, L"1", kNoLimit, none},
        // Whole seconds up to five, blanks around them ignored, are the pause whatever the try.
        {1, L"0", kNoLimit, 0}, {1, L" \t5 ", kNoLimit, 5000}, {2, L"3", kNoLimit, 3000}, {1, L"005", kNoLimit, 5000},
        {1, L"  ", kNoLimit, 500},
        // Longer, overlong (a wrap to 3 s would pass), a date or any other form: no further try.
        {1, L"6", kNoLimit, none}, {1, L"4294967299", kNoLimit, none}, {1, L"18446744073709551619", kNoLimit, none},
        {1, L"Wed, 21 Oct 2015 07:28:00 GMT", kNoLimit, none}, {1, L"+1", kNoLimit, none}, {1, L"1+", kNoLimit, none},
        {1, L"1.5", kNoLimit, none}, {1, L"1 s", kNoLimit, none}, {1, L"\uFF11", kNoLimit, none},
        // A try starts only with the pause and three seconds of the time limit left.
        {1, L"", 3500, 500}, {1, L"", 3499, none}, {2, L"", 3999, none}, {1, L"5", 8000, 5000}, {1, L"5", 7999, none},
        {1, L"0", 2999, none},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(Retry::PauseMs(c.triesMade, c.retryAfter, c.msLeft), c.pause)
            << c.triesMade << " '" << c.retryAfter << "' " << c.msLeft;
}

}  // namespace
