#include <gtest/gtest.h>

#include <vector>

#include "controls/host/ShapeCache.h"

namespace {

TEST(ShapeCache, AShapeIsBuiltAndGivenOnlyWhenItChangesAndARefusedOneIsOfferedAgain) {
    ShapeCache cache;
    int built = 0;
    bool windowTakes = true;
    std::vector<int> offered;  // the regions handed to the window, by the order they were built in
    auto apply = [&](int style, int width, int height, int dpi = 96) {
        cache.Apply(
            style, width, height, dpi, [&] { return ++built; },
            [&](int region) {
                offered.push_back(region);
                return windowTakes;
            });
    };
    apply(8, 57, 25);
    apply(8, 57, 25);
    EXPECT_EQ(offered, (std::vector<int>{1}));
    apply(8, 57, 26);
    apply(8, 58, 26);
    apply(5, 58, 26);
    EXPECT_EQ(offered, (std::vector<int>{1, 2, 3, 4}));
    // The same size on a screen of another scale is another shape, and so is the way back.
    apply(5, 58, 26, 144);
    apply(5, 58, 26, 144);
    apply(5, 58, 26);
    EXPECT_EQ(offered, (std::vector<int>{1, 2, 3, 4, 5, 6}));

    windowTakes = false;
    apply(8, 57, 25);
    apply(8, 57, 25);
    EXPECT_EQ(offered.size(), 8u) << "a refused shape is not taken for held";
    windowTakes = true;
    apply(8, 57, 25);
    apply(8, 57, 25);
    EXPECT_EQ(offered.size(), 9u);
}

}  // namespace
