#include "SkinGdi.h"

#include <cmath>

namespace skin {

bool FontToLogFont(const SkinFont& font, HDC dc, LOGFONTW& out) noexcept {
    out = LOGFONTW{};
    if (font.Name.size() >= LF_FACESIZE) return false;
    font.Name.copy(out.lfFaceName, font.Name.size());
    out.lfHeight = -MulDiv(static_cast<int>(std::lround(font.Size)), GetDeviceCaps(dc, LOGPIXELSY), 72);
    out.lfItalic = font.Italic;
    out.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    out.lfUnderline = font.Underline;
    out.lfStrikeOut = font.Strikethrough;
    out.lfCharSet = static_cast<BYTE>(font.Charset);
    return true;
}

std::wstring MenuItemText(HMENU menu, UINT position) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, position, TRUE, &mii) || mii.cch == 0) return {};
    std::wstring text(mii.cch + 1, L'\0');
    mii.dwTypeData = text.data();
    mii.cch = static_cast<UINT>(text.size());
    if (!GetMenuItemInfoW(menu, position, TRUE, &mii)) return {};
    text.resize(mii.cch);
    return text;
}

}  // namespace skin
