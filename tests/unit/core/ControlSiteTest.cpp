#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/host/ControlSite.h"

namespace {

TEST(ControlSite, ListenersHearEveryChangeInOrder) {
    ControlSite site;
    std::vector<std::wstring> first, second;
    const int a = site.Subscribe([&](std::wstring_view name) { first.emplace_back(name); });
    site.Subscribe([&](std::wstring_view name) { second.emplace_back(name); });
    EXPECT_FALSE(site.Changed());
    site.PropertyChanged(L"Value");
    site.Unsubscribe(a);
    site.PropertyChanged(L"Max");
    EXPECT_EQ(first, (std::vector<std::wstring>{L"Value"}));
    EXPECT_EQ(second, (std::vector<std::wstring>{L"Value", L"Max"}));
    EXPECT_TRUE(site.Changed());
    site.ClearChanged();
    EXPECT_FALSE(site.Changed());
}

TEST(ControlSite, AListenerMayUnsubscribeItselfWhileItIsTold) {
    ControlSite site;
    int calls = 0;
    int token = 0;
    token = site.Subscribe([&](std::wstring_view) {
        ++calls;
        site.Unsubscribe(token);
    });
    site.PropertyChanged(L"Value");
    site.PropertyChanged(L"Value");
    EXPECT_EQ(calls, 1);
}

}  // namespace
