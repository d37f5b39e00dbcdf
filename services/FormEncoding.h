#pragma once
// Form bodies as the site's login expects them: double-byte characters as %XX%YY of their code-page-936
// bytes, everything else as it is.

#include <string>
#include <string_view>

namespace FormEncoding {

// The piece for one character whose ANSI code, read as a signed 16-bit number, is `code`
// (lead byte * 256 + trail byte for a double-byte character).
std::wstring EncodeChar(wchar_t ch, int code);

// Percent-encodes the characters that would split or corrupt a form field ("&", "=", "+", "%"), so a
// value reaches the site as typed.
std::wstring EscapeValue(std::wstring_view value);

// "email=" + e-mail + "&password=" + password + "&autoLogin=true", values escaped.
std::wstring LoginBody(std::wstring_view email, std::wstring_view password);

}  // namespace FormEncoding
