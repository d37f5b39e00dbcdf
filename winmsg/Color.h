#pragma once
// Colour values and the arithmetic every painter shares (the button, the progress bar, the skin): channels,
// system-colour references, rounding with halves to even and the single-precision gradient step. No platform
// headers, so the portable cores and their native tests use the very same arithmetic as the program.

#include <algorithm>
#include <cmath>
#include <cstdint>

// 0x00BBGGRR, or kSystemColorFlag + a system colour index; translated where it is drawn.
using OleColor = std::uint32_t;

inline constexpr OleColor kSystemColorFlag = 0x80000000u;
// What a translation gives for a value that names no colour (the platform's CLR_INVALID).
inline constexpr OleColor kFailedColor = 0xFFFFFFFFu;

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
};

// The colour value that names a system colour; it becomes a plain colour only where it is drawn.
[[nodiscard]] constexpr OleColor SysColorRef(int index) noexcept {
    return kSystemColorFlag | static_cast<OleColor>(index);
}

// Channels of a plain colour (system-colour references are translated before they get here).
[[nodiscard]] constexpr int Red(OleColor c) noexcept {
    return static_cast<int>(c & 0xFF);
}
[[nodiscard]] constexpr int Green(OleColor c) noexcept {
    return static_cast<int>((c >> 8) & 0xFF);
}
[[nodiscard]] constexpr int Blue(OleColor c) noexcept {
    return static_cast<int>((c >> 16) & 0xFF);
}
// Each channel keeps its low eight bits.
[[nodiscard]] constexpr OleColor Rgb(int r, int g, int b) noexcept {
    return static_cast<OleColor>(r & 0xFF) | (static_cast<OleColor>(g & 0xFF) << 8) |
           (static_cast<OleColor>(b & 0xFF) << 16);
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
