#include "PlatformFont.h"

#include <algorithm>
#include <cmath>

bool FontToLogFont(const FontDesc& font, int dpi, FontRules rules, LOGFONTW& out) noexcept {
    out = LOGFONTW{};
    const bool skin = rules == FontRules::Skin;
    if (skin && font.Name.size() >= LF_FACESIZE) return false;
    font.Name.copy(out.lfFaceName, std::min<size_t>(font.Name.size(), LF_FACESIZE - 1));
    out.lfHeight = skin ? -MulDiv(static_cast<int>(std::lround(font.Size)), dpi, 72)
                        : -static_cast<int>(std::lround(font.Size * dpi / 72.0));
    out.lfWeight = skin ? (font.Bold() ? FW_BOLD : FW_NORMAL) : font.Weight;
    out.lfItalic = font.Italic;
    out.lfUnderline = font.Underline;
    out.lfStrikeOut = font.Strikethrough;
    out.lfCharSet = static_cast<BYTE>(font.Charset);
    return true;
}

UniqueFont CreatePlatformFont(const FontDesc& font, int dpi, FontRules rules) noexcept {
    LOGFONTW logFont;
    if (!FontToLogFont(font, dpi, rules, logFont)) return UniqueFont();
    return UniqueFont(CreateFontIndirectW(&logFont));
}
