#include <gtest/gtest.h>

#include <cfenv>

#include "winmsg/Color.h"

namespace {

// Painters must not change with the floating-point unit's rounding mode, which a loaded library may have set.
TEST(Color, RoundingAndGradientStepsAreTheSameInEveryRoundingMode) {
    const struct {
        double value;
        std::int64_t nearest;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {-2.5001, -3}, {0.5, 0}};
    // Entry i of n steps from a to b: 0 to 255 in steps of 63.75 gives 64, 127.5 to the even 128 and 191.25;
    // 200 to 100 in thirds gives 166.67; no steps at all give the start.
    const struct {
        int a, b, n, i, channel;
    } steps[] = {{0, 255, 4, 1, 64},    {0, 255, 4, 2, 128},   {0, 255, 4, 3, 191}, {0, 255, 4, 4, 255},
                 {200, 100, 3, 1, 167}, {200, 100, 3, 3, 100}, {10, 90, 0, 0, 10}};
    const int previous = std::fegetround();
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (const auto& c : cases) {
            const volatile double value = c.value;  // worked out at run time, in this mode
            EXPECT_EQ(Nearest(value), c.nearest) << c.value << " in mode " << mode;
        }
        for (const auto& s : steps) {
            const volatile int to = s.b;
            EXPECT_EQ(InterpolateChannel(s.a, to, s.n, s.i), s.channel) << s.a << " to " << s.b << " in mode " << mode;
        }
    }
    std::fesetround(previous);
}

}  // namespace
