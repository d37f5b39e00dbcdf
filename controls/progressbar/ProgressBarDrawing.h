#pragma once
// The arithmetic of the progress bar's drawing, apart from the platform: theme colours, greying, the bar's
// gradient rectangles, the caption text and where its copies go. The window side turns this into GDI calls.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "winmsg/Color.h"
#include "winmsg/DpiScale.h"
#include "winmsg/Geometry.h"

class ProgressBarModel;

namespace progressbar {

enum ThemeSlot { B1, B2, B3, B4, F1, F2, F3, F4, O, kThemeSlots };
using ThemeTable = std::array<ColorRef, kThemeSlots>;

// Each channel plus n, made positive and capped at 255.
[[nodiscard]] ColorRef Lighten(ColorRef c, int n) noexcept;
// The disabled look: the mean of the channels, taken with exact divisions as the bar always has.
[[nodiscard]] ColorRef Gray(ColorRef c) noexcept;

// Fills the table for themes 1 to 10 (10 from the two custom colours, already translated); any other theme
// leaves the table as it was and returns false.
bool FillThemeTable(int theme, ColorRef customColor1, ColorRef customColor2, ThemeTable& table) noexcept;

// Value × 100 ÷ Max; Min does not enter it.
[[nodiscard]] double Percentage(std::int32_t value, std::int32_t max) noexcept;

// A number as a double is written for display: up to 15 significant digits, no trailing zeros.
[[nodiscard]] std::wstring FormatNumber(double value, wchar_t decimalSeparator = L'.');

// The caption for the model's TextStyle, or nothing when the style shows none.
[[nodiscard]] std::optional<std::wstring> CaptionText(const ProgressBarModel& model, wchar_t decimalSeparator = L'.');

struct GradientRect {
    int direction;  // 0 left to right, 1 top to bottom
    ColorRef start, end;
    int left, top, right, bottom;  // corner coordinates
};

// The background and fill rectangles for an orientation: up to four, in drawing order.
struct BarPlan {
    std::array<GradientRect, 4> rects{};
    int count = 0;
    int fillLength = 0;
};
[[nodiscard]] BarPlan PlanBar(const ProgressBarModel& model, int width, int height, const ThemeTable& colors) noexcept;

// Upper-left corner of a tw × th caption for an alignment code on a width × height surface; the margins are
// pixels at 96 DPI, scaled to `dpi`.
[[nodiscard]] Point TextPosition(int alignment, int width, int height, int tw, int th, int dpi = kBaseDpi) noexcept;

struct TextCopy {
    Point at;
    ColorRef color;
};
struct EffectCopies {
    std::array<TextCopy, 5> copies{};
    int count = 0;
};
// The copies of the caption for an effect, in drawing order; the text itself always last. The copies lie a
// pixel at 96 DPI away, scaled to `dpi`.
[[nodiscard]] EffectCopies CopiesForEffect(int effect, Point at, ColorRef textColor, ColorRef effectColor,
                                           int dpi = kBaseDpi) noexcept;

}  // namespace progressbar
