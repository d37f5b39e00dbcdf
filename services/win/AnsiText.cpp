#include "AnsiText.h"

#include <windows.h>

namespace {

std::optional<std::string> Convert(std::wstring_view text, bool exact) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = exact ? &usedDefault : nullptr;
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (size <= 0) return std::nullopt;
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), size, nullptr, usedDefaultOut);
    if (exact && usedDefault) return std::nullopt;
    return out;
}

}  // namespace

std::string WideToAnsi(std::wstring_view text) {
    return Convert(text, false).value_or(std::string());
}

std::optional<std::string> WideToAnsiExact(std::wstring_view text) {
    return Convert(text, true);
}

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, out.data(), size);
    return out;
}
