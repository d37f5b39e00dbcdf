#pragma once
// What every skin painter needs: a layout box to a RECT and a menu item's text.

#include <windows.h>

#include <string>

#include "skin/CaptionLayout.h"

namespace skin {

[[nodiscard]] inline RECT ToRect(const Rect& b) noexcept {
    return {b.left, b.top, b.right, b.bottom};
}

// The text of the menu's item at the position, whole: its length is asked first, so no text is cut whatever its
// length. Empty when the item has none or cannot be read.
[[nodiscard]] std::wstring MenuItemText(HMENU menu, UINT position);

}  // namespace skin
