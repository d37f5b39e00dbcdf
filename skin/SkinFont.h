#pragma once
// The skin's fonts: FontDesc shared between their holders (a write stores the caller's object itself), from which
// the painters make a platform font for each paint. A new one starts from the skin's own default face.

#include <memory>

#include "winmsg/FontDesc.h"

namespace skin {

[[nodiscard]] inline FontDesc DefaultFont() {
    FontDesc font;
    font.Name = L"MS Sans Serif";
    return font;
}

[[nodiscard]] inline SharedFont NewFont() {
    return std::make_shared<FontDesc>(DefaultFont());
}

}  // namespace skin
