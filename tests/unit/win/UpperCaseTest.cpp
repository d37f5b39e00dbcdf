// The portable upper-case table held against the platform's comparison of file names, every UTF-16 unit.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <numeric>
#include <sstream>
#include <vector>

#include "app/UpperCase.h"

namespace {

int CompareIgnoringCase(wchar_t a, wchar_t b) {
    return CompareStringOrdinal(&a, 1, &b, 1, TRUE);
}

TEST(UpperCase, JoinsExactlyTheUnitsCompareStringOrdinalTakesForOne) {
    std::vector<wchar_t> units(0x10000);
    std::iota(units.begin(), units.end(), wchar_t{0});
    std::ostringstream wrong;
    int wrongCount = 0;
    const auto note = [&](wchar_t a, wchar_t b) {
        if (++wrongCount <= 20) wrong << std::hex << ' ' << unsigned(a) << '/' << unsigned(b);
    };
    // Every unit is the same letter as its upper-case one...
    for (const wchar_t c : units)
        if (CompareIgnoringCase(c, UpperCase(c)) != CSTR_EQUAL) note(c, UpperCase(c));
    EXPECT_EQ(wrongCount, 0) << "taken apart:" << wrong.str();

    // ...and units the platform takes for one map to one letter. Sorted the platform's way, those stand side by
    // side; with the check above, two units of one letter cannot be taken apart either.
    wrongCount = 0;
    wrong.str("");
    std::sort(units.begin(), units.end(),
              [](wchar_t a, wchar_t b) { return CompareIgnoringCase(a, b) == CSTR_LESS_THAN; });
    for (size_t i = 1; i < units.size(); ++i)
        if (CompareIgnoringCase(units[i - 1], units[i]) == CSTR_EQUAL && UpperCase(units[i - 1]) != UpperCase(units[i]))
            note(units[i - 1], units[i]);
    EXPECT_EQ(wrongCount, 0) << "joined by the platform only:" << wrong.str();
}

}  // namespace
