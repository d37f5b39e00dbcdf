#pragma once
// The one way from a font description to a platform font.

#include <windows.h>

#include "winmsg/FontDesc.h"
#include "Handles.h"

// The two ways our fonts have always been sized, weighted and named; they give different heights at some
// resolutions, so each keeps its own.
enum class FontRules {
    // The skin's: the size rounded to whole points first, bold or normal weight, a face name too long for a LOGFONT
    // refused.
    Skin,
    // The hosted controls': the pixel height rounded, the weight as given, a long face name cut to fit.
    Control,
};

// The font as a LOGFONT at dpi pixels per inch vertically. False when the rules refuse the face name.
[[nodiscard]] bool FontToLogFont(const FontDesc& font, int dpi, FontRules rules, LOGFONTW& out) noexcept;
// The platform font of FontToLogFont; none when it refuses the description or the platform makes no font.
[[nodiscard]] UniqueFont CreatePlatformFont(const FontDesc& font, int dpi, FontRules rules) noexcept;
