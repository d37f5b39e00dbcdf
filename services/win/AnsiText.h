#pragma once
// Conversions between the program's UTF-16 text and the system's ANSI code page (936 on the target systems).

#include <optional>
#include <string>
#include <string_view>

std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view bytes);

// Only when every character has a code in the ANSI code page (no "?" stand-ins).
std::optional<std::string> WideToAnsiExact(std::wstring_view text);
