#pragma once
// An icon as one line of text for a persisted property set: the icon file's bytes (one 32-bit image with its
// mask) in base64.

#include <windows.h>

#include <string>
#include <string_view>

// Empty when the icon cannot be read (no icon, or one without colours).
[[nodiscard]] std::wstring IconToText(HICON icon);
// A new icon the caller destroys; nullptr when the text is no icon.
[[nodiscard]] HICON IconFromText(std::wstring_view text);
