#include "CryptText.h"

#include "AnsiText.h"
#include "services/modCrypt.h"

std::optional<std::string> ScrambleText(std::wstring_view text, std::string_view key) {
    const auto bytes = WideToAnsiExact(text);
    if (!bytes) return std::nullopt;
    auto scrambled = modCrypt::ScrambleBytes(*bytes, key);
    if (!scrambled) return std::nullopt;
    // NUL, CR and LF would cut the value short or split the settings line.
    if (scrambled->find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) return std::nullopt;
    // Double-byte characters must decode back to the same text.
    if (AnsiToWide(*bytes) != text) return std::nullopt;
    return scrambled;
}

std::optional<std::wstring> UnscrambleText(std::string_view scrambled, std::string_view key) {
    const auto bytes = modCrypt::UnscrambleBytes(scrambled, key);
    if (!bytes) return std::nullopt;
    return AnsiToWide(*bytes);
}
