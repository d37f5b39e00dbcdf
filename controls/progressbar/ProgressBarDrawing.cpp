#include "ProgressBarDrawing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ProgressBarModel.h"

namespace progressbar {

ColorRef Lighten(ColorRef c, int n) noexcept {
    auto channel = [n](int v) { return std::min(std::abs(v + n), 255); };
    return Rgb(channel(Red(c)), channel(Green(c)), channel(Blue(c)));
}

ColorRef Gray(ColorRef c) noexcept {
    const double value = static_cast<double>(c.value & 0xFFFFFFu);
    const auto r = static_cast<std::int64_t>(c.value & 0xFF);
    const std::int64_t g = Nearest(static_cast<double>(c.value & 0xFFFF) / 256.0);
    const std::int64_t b = Nearest(value / 65536.0);
    const auto v = static_cast<int>(std::min<std::int64_t>(Nearest(static_cast<double>(r + g + b) / 3.0), 255));
    return Rgb(v, v, v);
}

namespace {

// Themes 1 to 9: B1 B2 B3 B4 F1 F2 F3 F4 O.
constexpr std::array<std::array<ColorRef, kThemeSlots>, 9> kThemes = {{
    {Rgb(248, 246, 242), Rgb(233, 227, 211), Rgb(226, 215, 182), Rgb(239, 233, 215), Rgb(251, 244, 223),
     Rgb(239, 213, 133), Rgb(203, 166, 57), Rgb(237, 224, 187), Rgb(204, 168, 62)},
    {Rgb(247, 248, 242), Rgb(231, 233, 211), Rgb(222, 226, 182), Rgb(237, 239, 215), Rgb(249, 251, 223),
     Rgb(230, 239, 133), Rgb(190, 203, 57), Rgb(233, 237, 187), Rgb(192, 204, 62)},
    {Rgb(242, 248, 243), Rgb(211, 233, 213), Rgb(182, 226, 186), Rgb(215, 239, 217), Rgb(223, 251, 225),
     Rgb(133, 239, 142), Rgb(57, 203, 70), Rgb(187, 237, 191), Rgb(62, 204, 74)},
    {Rgb(242, 248, 247), Rgb(211, 233, 231), Rgb(182, 226, 222), Rgb(215, 239, 237), Rgb(223, 251, 249),
     Rgb(133, 239, 230), Rgb(57, 203, 190), Rgb(187, 237, 233), Rgb(62, 204, 192)},
    {Rgb(243, 242, 248), Rgb(213, 211, 233), Rgb(186, 182, 226), Rgb(217, 215, 239), Rgb(225, 223, 251),
     Rgb(142, 133, 239), Rgb(70, 57, 203), Rgb(191, 187, 237), Rgb(74, 62, 204)},
    {Rgb(248, 242, 247), Rgb(233, 211, 231), Rgb(226, 182, 222), Rgb(239, 215, 237), Rgb(251, 223, 249),
     Rgb(239, 133, 230), Rgb(203, 57, 190), Rgb(237, 187, 233), Rgb(204, 62, 192)},
    {Rgb(248, 242, 242), Rgb(233, 211, 211), Rgb(226, 182, 182), Rgb(239, 215, 215), Rgb(251, 223, 223),
     Rgb(239, 133, 133), Rgb(203, 57, 57), Rgb(237, 187, 187), Rgb(204, 62, 62)},
    {Rgb(250, 253, 254), Rgb(228, 243, 252), Rgb(199, 230, 249), Rgb(237, 247, 253), Rgb(225, 247, 255),
     Rgb(67, 208, 255), Rgb(63, 112, 233), Rgb(63, 226, 246), Rgb(23, 139, 211)},
    {Rgb(231, 243, 232), Rgb(225, 219, 225), Rgb(179, 189, 179), Rgb(226, 238, 226), Rgb(223, 251, 223),
     Rgb(108, 255, 108), Rgb(26, 228, 26), Rgb(217, 244, 217), Rgb(188, 184, 188)},
}};

}  // namespace

bool FillThemeTable(int theme, ColorRef customColor1, ColorRef customColor2, ThemeTable& table) noexcept {
    if (theme >= 1 && theme <= 9) {
        table = kThemes[static_cast<size_t>(theme - 1)];
        return true;
    }
    if (theme != 10) return false;
    const ColorRef c1 = customColor1;
    const ColorRef c2 = customColor2;
    table = {Lighten(c2, 180),
             Lighten(c2, 50),
             Rgb(Red(c2), Green(c2), Blue(c2)),
             Lighten(c2, 80),
             Lighten(c1, 180),
             Lighten(c1, 50),
             Rgb(Red(c1), Green(c1), Blue(c1)),
             Lighten(c1, 80),
             Rgb(Red(c1), Green(c1), Blue(c1))};
    return true;
}

double Percentage(std::int32_t value, std::int32_t max) noexcept {
    // Max is at least 1 through Set's range rule; a model that never had one set draws as empty.
    if (max == 0) return 0.0;
    return static_cast<double>(value) * 100.0 / static_cast<double>(max);
}

std::wstring FormatNumber(double value, wchar_t decimalSeparator) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::wstring out;
    for (const char* p = buffer; *p; ++p) {
        if (*p == '.')
            out.push_back(decimalSeparator);
        else if (*p == 'e')
            out.push_back(L'E');
        else
            out.push_back(static_cast<wchar_t>(*p));
    }
    return out;
}

std::optional<std::wstring> CaptionText(const ProgressBarModel& model, wchar_t decimalSeparator) {
    switch (model.Props().TextStyle) {
        case 1: return std::to_wstring(model.Value());
        case 2: return FormatNumber(Percentage(model.Value(), model.Props().Max), decimalSeparator) + L"%";
        case 3: return model.Props().Text;
        default: return std::nullopt;
    }
}

namespace {

int Clamp(std::int64_t v) noexcept {
    return static_cast<int>(std::clamp<std::int64_t>(v, -0x40000000, 0x40000000));
}

}  // namespace

BarPlan PlanBar(const ProgressBarModel& model, int width, int height, const ThemeTable& c) noexcept {
    BarPlan plan;
    const double p = Percentage(model.Value(), model.Props().Max);
    const bool filled = model.Value() >= 1;
    auto add = [&plan](const GradientRect& r) { plan.rects[static_cast<size_t>(plan.count++)] = r; };
    if (model.Props().Orientations == 1) {
        const int m = Clamp(Nearest(height / 2.0));
        const int l = Clamp(Nearest(width * p / 100.0));
        plan.fillLength = l;
        add({1, c[B1], c[B2], 0, 0, width, m});
        add({1, c[B3], c[B4], 0, m, width, height});
        if (filled) {
            add({1, c[F1], c[F2], 0, 0, l, m});
            add({1, c[F3], c[F4], 0, m, l, height});
        }
    } else if (model.Props().Orientations == 2) {
        const int m = Clamp(Nearest(width / 2.0));
        const int l = Clamp(Nearest(height * p / 100.0));
        plan.fillLength = l;
        add({0, c[B1], c[B2], 0, 0, m, height});
        add({0, c[B3], c[B4], m, 0, width, height});
        if (filled) {
            add({0, c[F1], c[F2], 0, 0, m, l});
            add({0, c[F3], c[F4], m, 0, width, l});
        }
    }
    return plan;
}

Point TextPosition(int alignment, int width, int height, int tw, int th, int dpi) noexcept {
    if (alignment < 1 || alignment > 9) return {0, 0};
    const int column = (alignment - 1) / 3;
    const int row = (alignment - 1) % 3;
    const double one = ScaleToDpi(1, dpi);
    const int x = column == 0   ? ScaleToDpi(1, dpi)
                  : column == 1 ? Clamp(Nearest(width / 2.0 - tw / 2.0 - one))
                                : Clamp(Nearest(width - tw - static_cast<double>(ScaleToDpi(3, dpi))));
    const int y = row == 0   ? 0
                  : row == 1 ? Clamp(Nearest(height / 2.0 - th / 2.0 - one))
                             : Clamp(Nearest(height - th - one));
    return {x, y};
}

EffectCopies CopiesForEffect(int effect, Point at, ColorRef text, ColorRef effectColor, int dpi) noexcept {
    constexpr ColorRef kGray = Rgb(128, 128, 128);
    const int d = ScaleToDpi(1, dpi);
    EffectCopies e;
    auto add = [&e](int x, int y, ColorRef color) { e.copies[static_cast<size_t>(e.count++)] = {{x, y}, color}; };
    switch (effect) {
        case 1: break;
        case 2:
            add(at.x - d, at.y - d, effectColor);
            add(at.x + d, at.y + d, kGray);
            break;
        case 3:
            add(at.x + d, at.y + d, effectColor);
            add(at.x - d, at.y, kGray);
            break;
        case 4:
            add(at.x + d, at.y, effectColor);
            add(at.x - d, at.y, effectColor);
            add(at.x, at.y - d, effectColor);
            add(at.x, at.y + d, effectColor);
            break;
        case 5: add(at.x + d, at.y + d, effectColor); break;
        default: return e;
    }
    add(at.x, at.y, text);
    return e;
}

}  // namespace progressbar
