#include "ControlSite.h"

#include <algorithm>

int ControlSite::Subscribe(Listener listener) {
    const int token = nextToken_++;
    listeners_.emplace_back(token, std::move(listener));
    return token;
}

void ControlSite::Unsubscribe(int token) {
    std::erase_if(listeners_, [token](const auto& entry) { return entry.first == token; });
}

void ControlSite::PropertyChanged(std::wstring_view propertyName) {
    changed_ = true;
    // A copy, so a listener may subscribe or unsubscribe while it is told.
    const auto listeners = listeners_;
    for (const auto& [token, listener] : listeners)
        if (listener) listener(propertyName);
}
