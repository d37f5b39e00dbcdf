#pragma once
// The two conversions every skin painter needs: a colour property to the platform's colour, and a font
// description to a LOGFONT.

#include <windows.h>

#include <cstdint>

#include "SkinFont.h"

namespace skin {

// The platform's colour for a colour property (0x00BBGGRR or 0x80000000 + a system colour index); CLR_INVALID
// when it is no colour the platform knows.
[[nodiscard]] COLORREF TranslateColor(std::uint32_t oColor) noexcept;

// The font as a LOGFONT at the DC's vertical resolution. False when the name does not fit the LOGFONT.
[[nodiscard]] bool FontToLogFont(const SkinFont& font, HDC dc, LOGFONTW& out) noexcept;

}  // namespace skin
