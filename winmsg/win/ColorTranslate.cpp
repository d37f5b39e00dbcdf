#include "ColorTranslate.h"

static_assert(CLR_INVALID == kFailedColor);

// The platform's OleTranslateColor with no palette, done here so that oleaut32 need not load before the first
// paint: a plain colour, a palette entry and a palette-relative colour pass through; a system reference is
// read by its low byte, valid up to the menu bar's colour; any other high byte names no colour.
COLORREF TranslateColor(OleColor color) noexcept {
    switch (color >> 24) {
    case 0x00:
    case 0x01:
    case 0x02:
        return color;
    case kSystemColorFlag >> 24: {
        const int index = static_cast<int>(color & 0xFF);
        return index <= COLOR_MENUBAR ? GetSysColor(index) : CLR_INVALID;
    }
    default:
        return CLR_INVALID;
    }
}
