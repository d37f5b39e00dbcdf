#pragma once
// Colour values and the arithmetic every painter shares (the button, the progress bar, the skin): the stored value
// and the colour ready to draw, the one translation between them, channels, system-colour references, rounding with
// halves to even and the single-precision gradient step. No platform headers, so the portable cores and their native
// tests use the very same arithmetic as the program.

#include <algorithm>
#include <cmath>
#include <cstdint>

// A stored colour value, as properties and persisted sets keep it: 0x00BBGGRR, a palette entry (0x01000000 + an
// index), a palette-relative colour (0x02BBGGRR) or kSystemColorFlag + a system colour index. It is drawn only
// through TranslateColor.
using OleColor = std::uint32_t;

inline constexpr OleColor kSystemColorFlag = 0x80000000u;

// A colour ready to draw, as the platform's COLORREF holds it. A type of its own, so a stored value that may name a
// system colour cannot reach a drawing call untranslated; the platform's calls take `.value`.
struct ColorRef {
    std::uint32_t value = 0;
    friend constexpr bool operator==(ColorRef, ColorRef) noexcept = default;
};

// What a translation gives for a value that names no colour (the platform's CLR_INVALID); drawing calls get it as
// it is, as they would from the platform's own translation.
inline constexpr ColorRef kFailedColor{0xFFFFFFFFu};

// A colour ready to draw kept as a stored value (a new button's colours taken from its site's system colours, a
// colour written as a property); it translates back to itself, kFailedColor included. The only way from the one
// type to the other besides TranslateColor.
[[nodiscard]] constexpr OleColor ToOleColor(ColorRef c) noexcept {
    return c.value;
}

// System colour indices in the platform's numbering, those our painters read.
enum SysColorIndex : int {
    kSysWindow = 5,
    kSysHighlight = 13,
    kSysButtonFace = 15,
    kSysButtonShadow = 16,
    kSysGrayText = 17,
    kSysButtonText = 18,
    kSysInfoText = 23,
    kSysInfoBackground = 24,
    kSysMenuBar = 30,  // the last index the translation knows
};

// The colour value that names a system colour; it becomes a plain colour only where it is drawn.
[[nodiscard]] constexpr OleColor SysColorRef(int index) noexcept {
    return kSystemColorFlag | static_cast<OleColor>(index);
}

// The plain colour of each system colour index: the platform's on Windows, a control's site, a test's fixed set.
class SystemColors {
public:
    virtual ~SystemColors() = default;
    virtual ColorRef SysColor(int index) const = 0;
};

// The platform's translation of a stored value without a palette (OleTranslateColor's rule), the one every painter
// uses: a plain colour, a palette entry and a palette-relative colour pass through; a system reference is read by
// its low byte alone, valid up to the menu bar's colour; any other high byte names no colour.
[[nodiscard]] inline ColorRef TranslateColor(OleColor color, const SystemColors& system) {
    switch (color >> 24) {
        case 0x00:
        case 0x01:
        case 0x02: return ColorRef{color};
        case kSystemColorFlag >> 24: {
            const int index = static_cast<int>(color & 0xFF);
            return index <= kSysMenuBar ? system.SysColor(index) : kFailedColor;
        }
        default: return kFailedColor;
    }
}

// Channels of a colour ready to draw.
[[nodiscard]] constexpr int Red(ColorRef c) noexcept {
    return static_cast<int>(c.value & 0xFF);
}
[[nodiscard]] constexpr int Green(ColorRef c) noexcept {
    return static_cast<int>((c.value >> 8) & 0xFF);
}
[[nodiscard]] constexpr int Blue(ColorRef c) noexcept {
    return static_cast<int>((c.value >> 16) & 0xFF);
}
// Each channel keeps its low eight bits.
[[nodiscard]] constexpr ColorRef Rgb(int r, int g, int b) noexcept {
    return ColorRef{static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
                    (static_cast<std::uint32_t>(b & 0xFF) << 16)};
}

// To the nearest integer, halves to the even neighbour, whatever the floating-point unit's rounding mode.
[[nodiscard]] inline std::int64_t Nearest(double x) noexcept {
    const double floor = std::floor(x);
    const double diff = x - floor;
    const auto f = static_cast<std::int64_t>(floor);
    if (diff > 0.5) return f + 1;
    if (diff < 0.5) return f;
    return f % 2 == 0 ? f : f + 1;
}

// The change per step of a channel going from a to b in n steps, kept in single precision as the painters have
// always kept it; no change over no steps.
[[nodiscard]] inline float GradientStep(int a, int b, int n) noexcept {
    return (b == a || n == 0) ? 0.0f : static_cast<float>(b - a) / static_cast<float>(n);
}

// One channel from a to b over n steps, entry i (0 to n), 0 to 255. Only the step is single precision: the
// product with the index and the sum are taken in double, so an entry just under a half stays under it.
[[nodiscard]] inline int InterpolateChannel(int a, int b, int n, int i) noexcept {
    const double v = static_cast<double>(a) + static_cast<double>(GradientStep(a, b, n)) * i;
    return static_cast<int>(std::clamp<std::int64_t>(Nearest(v), 0, 255));
}
