#pragma once
// When a transfer that failed for a passing reason (a busy or failing server) is tried again: a few times, after a
// short pause the server may set, and only while the transfer's time limit leaves room for a whole try.

#include <cstdint>
#include <optional>
#include <string_view>

namespace Retry {

inline constexpr int kMaxTries = 3;                  // the first try and at most two more
inline constexpr std::uint32_t kMinLeftMs = 3000;    // a try starts only with this much of its time limit left
inline constexpr std::uint32_t kMaxWaitSeconds = 5;  // the longest Retry-After honoured

// A server error (5xx) or too many requests (429).
[[nodiscard]] bool IsPassingStatus(std::uint32_t status);

// The pause before the next try after `triesMade` tries (1 or 2) failed for a passing reason, or nullopt when no
// further try is made. `retryAfter`: the answer's Retry-After header text, empty when absent. `msLeft`: what is
// left of the transfer's time limit now (UINT64_MAX for none). Retry-After in whole seconds up to
// kMaxWaitSeconds is the pause, blanks around it ignored (only blanks count as none); a longer one, a date or
// anything else ends the tries.
[[nodiscard]] std::optional<std::uint32_t> PauseMs(int triesMade, std::wstring_view retryAfter, std::uint64_t msLeft);

}  // namespace Retry
