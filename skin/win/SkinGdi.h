#pragma once
// What every skin painter needs: a font description to a LOGFONT, a layout box to a RECT, and a menu item's text.

#include <windows.h>

#include <string>

#include "skin/CaptionLayout.h"
#include "skin/SkinFont.h"

namespace skin {

// The font as a LOGFONT at the DC's vertical resolution. False when the name does not fit the LOGFONT.
[[nodiscard]] bool FontToLogFont(const SkinFont& font, HDC dc, LOGFONTW& out) noexcept;

[[nodiscard]] inline RECT ToRect(const Box& b) noexcept {
    return {b.left, b.top, b.right, b.bottom};
}

// The text of the menu's item at the position, whole: its length is asked first, so no text is cut whatever its
// length. Empty when the item has none or cannot be read.
[[nodiscard]] std::wstring MenuItemText(HMENU menu, UINT position);

}  // namespace skin
