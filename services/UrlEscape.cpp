#include "UrlEscape.h"

#include <algorithm>

#include "winmsg/Utf8.h"

namespace {

bool IsSurrogate(char32_t c, char32_t first) {
    return c >= first && c < first + 0x400;
}

// The address is UTF-16 on every platform, also where wchar_t holds 32 bits (the native test build), while
// WideToUtf8 reads the platform's own wide text: a pair becomes one character there, and a lone surrogate or
// anything beyond Unicode U+FFFD.
std::wstring AsPlatformText(std::wstring_view run) {
    std::wstring text;
    for (size_t i = 0; i < run.size(); ++i) {
        const auto c = static_cast<char32_t>(run[i]);
        if (IsSurrogate(c, 0xD800) && i + 1 < run.size() && IsSurrogate(static_cast<char32_t>(run[i + 1]), 0xDC00)) {
            if constexpr (sizeof(wchar_t) == 2) {
                text += run.substr(i, 2);
            } else {
                text +=
                    static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(run[i + 1]) - 0xDC00));
            }
            ++i;
        } else if (IsSurrogate(c, 0xD800) || IsSurrogate(c, 0xDC00) || c > 0x10FFFF) {
            text += static_cast<wchar_t>(0xFFFD);
        } else {
            text += run[i];
        }
    }
    return text;
}

}  // namespace

std::wstring EscapeNonAscii(std::wstring_view address) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    const size_t scheme = address.find(L"://");
    if (scheme == std::wstring_view::npos) return std::wstring(address);
    const size_t path = std::min(address.find_first_of(L"/?#", scheme + 3), address.size());
    std::wstring escaped(address.substr(0, path));
    for (size_t i = path; i < address.size();) {
        size_t end = i;
        while (end < address.size() && static_cast<char32_t>(address[end]) >= 0x80) ++end;
        if (end == i) {
            escaped += address[i++];
            continue;
        }
        // A whole run at once, so that a pair is never cut between its halves.
        for (const unsigned char byte : WideToUtf8(AsPlatformText(address.substr(i, end - i)))) {
            escaped += L'%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        }
        i = end;
    }
    return escaped;
}
