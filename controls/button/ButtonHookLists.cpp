#include "ButtonHookLists.h"

#include <algorithm>

namespace button {

bool HookLists::List::Covers(std::uint32_t message) const {
    if (all) return true;
    return message != 0 && std::find(messages.begin(), messages.end(), message) != messages.end();
}

void HookLists::List::Add(std::uint32_t message) {
    if (all || message == 0) return;
    if (std::find(messages.begin(), messages.end(), message) != messages.end()) return;
    const auto free = std::find(messages.begin(), messages.end(), 0u);
    if (free != messages.end())
        *free = message;
    else
        messages.push_back(message);
}

void HookLists::Register(std::uint32_t message, int when) {
    if (when & kAfter) after_.Add(message);
    if (when & kBefore) before_.Add(message);
}

void HookLists::RegisterAll(int when) {
    if (when & kAfter) after_ = List{{}, true};
    if (when & kBefore) before_ = List{{}, true};
}

void HookLists::Unregister(std::uint32_t message, int when) {
    auto drop = [message](List& list) {
        if (!list.all) std::replace(list.messages.begin(), list.messages.end(), message, 0u);
    };
    if (when & kAfter) drop(after_);
    if (when & kBefore) drop(before_);
}

void HookLists::Clear() {
    before_ = List{};
    after_ = List{};
}

}  // namespace button
