#pragma once
// One answer about one thing (a folder's volume, say), kept while the same thing is asked about, so that the
// photos that follow each other into a folder do not each ask its volume again. One entry: another key replaces
// it. Not locked: its users hold their own lock.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

template <typename T>
class KeptAnswer {
public:
    // `freshMs`: how long an answer serves after it was made; 0 for as long as the key stays the same.
    explicit KeptAnswer(std::uint64_t freshMs) : freshMs_(freshMs) {}

    // The answer for `key` at `nowMs`: the kept one, or a new one from `make` for another key or once the kept
    // one is `freshMs` old.
    T& For(const std::wstring& key, std::uint64_t nowMs, const std::function<T()>& make) {
        if (!answer_ || key != key_ || (freshMs_ != 0 && nowMs - since_ >= freshMs_)) {
            answer_.emplace(make());
            key_ = key;
            since_ = nowMs;
        }
        return *answer_;
    }

private:
    std::uint64_t freshMs_;
    std::optional<T> answer_;
    std::wstring key_;
    std::uint64_t since_ = 0;
};
