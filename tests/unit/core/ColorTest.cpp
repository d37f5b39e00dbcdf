#include <gtest/gtest.h>

#include <cfenv>

#include "winmsg/Color.h"

namespace {

// Painters must not change with the floating-point unit's rounding mode, which a loaded library may have set.
TEST(Color, RoundingIsHalfToEvenInEveryRoundingMode) {
    const struct {
        double value;
        std::int64_t nearest;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {-2.5001, -3}, {0.5, 0}};
    const int previous = std::fegetround();
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (const auto& c : cases) {
            const volatile double value = c.value;  // worked out at run time, in this mode
            EXPECT_EQ(Nearest(value), c.nearest) << c.value << " in mode " << mode;
        }
        const volatile int to = 255;
        EXPECT_EQ(InterpolateChannel(0, to, 4, 2), 128) << "127.5 in mode " << mode;
    }
    std::fesetround(previous);
}

}  // namespace
