#pragma once
// The text of transfers: an answer's bytes decoded in its character set, and the login form's encoding.

#include <optional>
#include <string>
#include <string_view>

namespace Http {

// Decodes bytes in a named character set ("UTF-8"; "GBK"/"GB2312" as code page 936). nullopt when the
// set is unknown or the bytes are not valid in it.
[[nodiscard]] std::optional<std::wstring> BytesToText(std::string_view bytes, const std::wstring& charset);

// The login form body's encoding: double-byte characters become %XX%YY of their ANSI bytes.
std::wstring URLEncode(std::wstring_view text);

}  // namespace Http
