#include "HttpText.h"

#include <windows.h>

#include <cstdint>

#include "services/FormEncoding.h"

namespace Http {

std::optional<std::wstring> BytesToText(std::string_view bytes, const std::wstring& charset) {
    UINT codePage = 0;
    if (_wcsicmp(charset.c_str(), L"UTF-8") == 0 || _wcsicmp(charset.c_str(), L"UTF8") == 0) {
        codePage = CP_UTF8;
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    } else if (_wcsicmp(charset.c_str(), L"GBK") == 0 || _wcsicmp(charset.c_str(), L"GB2312") == 0) {
        codePage = 936;
    } else {
        return std::nullopt;
    }
    if (bytes.empty()) return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
    return text;
}

std::wstring URLEncode(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t ch : text) {
        unsigned char bytes[2] = {};
        const int n = WideCharToMultiByte(CP_ACP, 0, &ch, 1, reinterpret_cast<char*>(bytes), 2, nullptr, nullptr);
        int code = '?';
        if (n == 1) code = bytes[0];
        if (n == 2) code = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]));
        out += FormEncoding::EncodeChar(n > 0 ? ch : L'?', code);
    }
    return out;
}

}  // namespace Http
