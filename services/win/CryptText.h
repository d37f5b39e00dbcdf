#pragma once
// Scrambling of texts as the settings file stores them: the UTF-16 text goes through the ANSI code page,
// and the scrambled result stays as raw bytes so codes 128-255 survive the file unchanged.

#include <optional>
#include <string>
#include <string_view>

// The fixed key every remembered value is scrambled with.
inline constexpr std::string_view kCryptKey = "tevoranish";

// The bytes to store, or nullopt when the text would not restore exactly (a character without an ANSI code,
// a shifted code outside 0..255, or a byte that would break the settings line).
std::optional<std::string> ScrambleText(std::wstring_view text, std::string_view key);

// The stored bytes back as text; nullopt when they cannot be restored.
std::optional<std::wstring> UnscrambleText(std::string_view scrambled, std::string_view key);
