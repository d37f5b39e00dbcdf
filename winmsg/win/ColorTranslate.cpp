#include "ColorTranslate.h"

#include <ole2.h>
#include <olectl.h>

static_assert(CLR_INVALID == kFailedColor);

COLORREF TranslateColor(OleColor color) noexcept {
    COLORREF out = 0;
    return SUCCEEDED(OleTranslateColor(color, nullptr, &out)) ? out : CLR_INVALID;
}
