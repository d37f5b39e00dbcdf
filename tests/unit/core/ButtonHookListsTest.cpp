#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "controls/button/ButtonHookLists.h"

namespace {

using button::HookLists;

TEST(ButtonHookLists, ListsCoverRegisteredMessagesOnceAndReuseFreeEntries) {
    HookLists lists;
    lists.Register(0x200, HookLists::kAfter);
    lists.Register(0x2A3, HookLists::kAfter);
    lists.Register(0, HookLists::kAfter);  // no message: nothing to add
    lists.Register(0x200, HookLists::kAfter);
    EXPECT_EQ(lists.AfterList(), (std::vector<std::uint32_t>{0x200, 0x2A3}));
    EXPECT_TRUE(lists.After(0x2A3));
    EXPECT_FALSE(lists.Before(0x2A3));
    lists.Unregister(0x200, HookLists::kAfter);
    EXPECT_FALSE(lists.After(0x200));
    lists.Register(0x15, HookLists::kBoth);
    EXPECT_EQ(lists.AfterList(), (std::vector<std::uint32_t>{0x15, 0x2A3})) << "the free slot is taken first";
    EXPECT_TRUE(lists.Before(0x15));
    lists.RegisterAll(HookLists::kBefore);
    EXPECT_EQ(lists.BeforeCount(), -1);
    EXPECT_TRUE(lists.Before(0x1234));
    EXPECT_FALSE(lists.After(0x1234));
}

}  // namespace
