#include "ButtonHookLists.h"

#include <algorithm>

namespace button {

bool HookLists::Covers(const std::vector<std::uint32_t>& list, int count, std::uint32_t message) {
    if (count == -1) return true;
    return message != 0 && std::find(list.begin(), list.end(), message) != list.end();
}

void HookLists::Add(std::vector<std::uint32_t>& list, int& count, std::uint32_t message) {
    if (count == -1 || message == 0) return;
    if (std::find(list.begin(), list.end(), message) != list.end()) return;
    const auto free = std::find(list.begin(), list.end(), 0u);
    if (free != list.end())
        *free = message;
    else
        list.push_back(message);
    count = static_cast<int>(list.size());
}

void HookLists::Register(std::uint32_t message, int when) {
    if (when & kAfter) Add(after_, afterCount_, message);
    if (when & kBefore) Add(before_, beforeCount_, message);
}

void HookLists::RegisterAll(int when) {
    if (when & kAfter) {
        after_.clear();
        afterCount_ = -1;
    }
    if (when & kBefore) {
        before_.clear();
        beforeCount_ = -1;
    }
}

void HookLists::Unregister(std::uint32_t message, int when) {
    auto drop = [message](std::vector<std::uint32_t>& list) { std::replace(list.begin(), list.end(), message, 0u); };
    if ((when & kAfter) && afterCount_ != -1) drop(after_);
    if ((when & kBefore) && beforeCount_ != -1) drop(before_);
}

void HookLists::Clear() {
    before_.clear();
    after_.clear();
    beforeCount_ = afterCount_ = 0;
}

}  // namespace button
