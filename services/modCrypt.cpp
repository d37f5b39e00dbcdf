#include "modCrypt.h"

#include <cmath>

namespace modCrypt {
namespace {

// Net shift of a scrambled code for position counter r (r = position mod 6, position from 1).
int Shift(int k, int r) {
    switch (r) {
        case 1: return (k - 5) + 1;
        case 2: return -(k - 4) + 2;
        case 3: return (k - 2) + 3;
        case 4: return -(k - 3) + 4;
        case 5: return (k - 5) + 5;
        default: return -(k - 2);
    }
}

std::optional<std::string> Apply(std::string_view text, std::string_view key, int direction) {
    const int k = KeyNumber(key);
    std::string out;
    out.reserve(text.size());
    int r = 0;
    for (const char ch : text) {
        r = (r + 1) % 6;
        const int code = static_cast<unsigned char>(ch) + direction * Shift(k, r);
        if (code < 0 || code > 255) return std::nullopt;
        out += static_cast<char>(code);
    }
    return out;
}

}  // namespace

int KeyNumber(std::string_view key) {
    long long sum = 0;
    for (const char ch : key) sum += static_cast<unsigned char>(ch);
    return static_cast<int>(std::floor(static_cast<double>(sum) * 0.1 / 6));
}

std::optional<std::string> ScrambleBytes(std::string_view text, std::string_view key) {
    return Apply(text, key, 1);
}

std::optional<std::string> UnscrambleBytes(std::string_view text, std::string_view key) {
    return Apply(text, key, -1);
}

}  // namespace modCrypt
