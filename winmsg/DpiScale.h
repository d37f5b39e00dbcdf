#pragma once
// Sizes given at 96 DPI, the platform's 100 %, taken to the DPI a window draws at.

inline constexpr int kBaseDpi = 96;

// `value`, in pixels at 96 DPI, at `dpi`: rounded half away from zero, as the platform's MulDiv rounds.
[[nodiscard]] constexpr int ScaleToDpi(int value, int dpi) noexcept {
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kBaseDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}
