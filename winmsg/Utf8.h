#pragma once
// UTF-8 <-> UTF-16 without the platform; invalid sequences become U+FFFD.

#include <string>
#include <string_view>

[[nodiscard]] std::wstring Utf8ToWide(std::string_view utf8);
[[nodiscard]] std::string WideToUtf8(std::wstring_view wide);
