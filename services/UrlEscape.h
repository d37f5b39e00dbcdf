#pragma once
// Addresses from the album page may carry Chinese or Korean file names as they are. WinINet would send such a path
// in the system's code page, which the server does not read, so the program sends it as UTF-8 escapes instead.

#include <string>
#include <string_view>

// Every character outside ASCII after the authority (after "scheme://" up to the first '/', '?' or '#') as
// UTF-8 percent-escapes in upper-case hex: a surrogate pair as its character, a lone surrogate as U+FFFD.
// ASCII stays as it is, escapes already there too; the authority is left alone, and so is an address without
// "://".
[[nodiscard]] std::wstring EscapeNonAscii(std::wstring_view address);
