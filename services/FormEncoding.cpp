#include "FormEncoding.h"

#include <cstdlib>

namespace FormEncoding {
namespace {

std::wstring Hex(unsigned value) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring out;
    do {
        out.insert(out.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return out;
}

}  // namespace

std::wstring EncodeChar(wchar_t ch, int code) {
    if (std::abs(code) <= 254) return std::wstring(1, ch);
    const unsigned u = code < 0 ? static_cast<unsigned>(code + 65536) : static_cast<unsigned>(code);
    // Dividing by 255 rather than 256 still yields the lead byte for every lead byte of code page 936.
    return L"%" + Hex((u & ~0xFFu & 0xFFFFu) / 255) + L"%" + Hex(u & 0xFFu);
}

std::wstring EscapeValue(std::wstring_view value) {
    std::wstring out;
    out.reserve(value.size());
    for (const wchar_t ch : value) {
        switch (ch) {
            case L'%': out += L"%25"; break;
            case L'&': out += L"%26"; break;
            case L'+': out += L"%2B"; break;
            case L'=': out += L"%3D"; break;
            default: out += ch; break;
        }
    }
    return out;
}

std::wstring LoginBody(std::wstring_view email, std::wstring_view password) {
    return L"email=" + EscapeValue(email) + L"&password=" + EscapeValue(password) + L"&autoLogin=true";
}

}  // namespace FormEncoding
