#include "RetryPolicy.h"

namespace Retry {

namespace {

constexpr std::uint32_t kFirstPauseMs = 500;  // doubled after the second try

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Whole seconds as the header gives them, nullopt for anything but plain digits or more than we wait. A date
// (a server's idea of "later") is not honoured: this side's clock may not agree with it.
std::optional<std::uint32_t> WaitSeconds(std::wstring_view text) {
    std::uint32_t seconds = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        seconds = seconds * 10 + static_cast<std::uint32_t>(c - L'0');
        // Stopping here keeps an overlong number from wrapping round to a small one.
        if (seconds > kMaxWaitSeconds) return std::nullopt;
    }
    return seconds;
}

}  // namespace

bool IsPassingStatus(std::uint32_t status) {
    return status == 429 || (status >= 500 && status <= 599);
}

std::optional<std::uint32_t> PauseMs(int triesMade, std::wstring_view retryAfter, std::uint64_t msLeft) {
    if (triesMade < 1 || triesMade >= kMaxTries) return std::nullopt;
    while (!retryAfter.empty() && IsBlank(retryAfter.front())) retryAfter.remove_prefix(1);
    while (!retryAfter.empty() && IsBlank(retryAfter.back())) retryAfter.remove_suffix(1);
    std::uint32_t pause = kFirstPauseMs << (triesMade - 1);
    if (!retryAfter.empty()) {
        const auto seconds = WaitSeconds(retryAfter);
        if (!seconds) return std::nullopt;
        pause = *seconds * 1000;
    }
    if (msLeft < std::uint64_t{pause} + kMinLeftMs) return std::nullopt;
    return pause;
}

}  // namespace Retry
