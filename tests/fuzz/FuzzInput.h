#pragma once
// Turns a fuzzer's bytes into the program's kinds of text: wide strings built from 16-bit units, so surrogates,
// control characters and every code point the page or a paste could carry come up.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

inline std::wstring Wide(const std::uint8_t* data, size_t size) {
    std::wstring out;
    out.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) out += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    return out;
}

// Two texts from one input, split at the first 0xFF byte.
inline std::pair<std::wstring, std::wstring> TwoWide(const std::uint8_t* data, size_t size) {
    size_t cut = 0;
    while (cut < size && data[cut] != 0xFF) ++cut;
    return {Wide(data, cut), cut < size ? Wide(data + cut + 1, size - cut - 1) : std::wstring()};
}

// A failed check is a finding: abort so the fuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace fuzz
