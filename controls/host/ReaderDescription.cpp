#include "ReaderDescription.h"

namespace reader {

std::wstring WithoutAccessKey(std::wstring_view caption) {
    std::wstring out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != L'&') {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == L'&') {
            out += L'&';  // "&&" is a literal '&'
            ++i;
        }
        // A single '&' only marks the next character.
    }
    return out;
}

wchar_t AccessKey(std::wstring_view caption) noexcept {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') {
            const wchar_t key = caption[i + 1];
            return key >= L'a' && key <= L'z' ? static_cast<wchar_t>(key - L'a' + L'A') : key;
        }
        ++i;  // "&&": skip the literal
    }
    return 0;
}

}  // namespace reader
