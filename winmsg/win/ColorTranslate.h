#pragma once
// The one translation of a colour value to the platform's colour, for every painter.

#include <windows.h>

#include "winmsg/Color.h"

// The platform's colour for a colour value (0x00BBGGRR, a palette entry or palette-relative colour, or
// kSystemColorFlag + a system colour index); kFailedColor (CLR_INVALID) when it is no colour the platform knows.
[[nodiscard]] COLORREF TranslateColor(OleColor color) noexcept;
