#pragma once
// A platform font made from a skin font at a DPI and kept until either changes: the painters ask for it at every
// paint, and a font is made only when the description was changed or the window went to another DPI.

#include <windows.h>

#include "winmsg/FontDesc.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/PlatformFont.h"

class FontAtDpi {
public:
    // The font of the description at the DPI; null when the description makes no font.
    [[nodiscard]] HFONT Get(const FontDesc& desc, int dpi) {
        if (!made_ || dpi != dpi_ || !(desc == desc_)) {
            desc_ = desc;
            dpi_ = dpi;
            font_ = CreatePlatformFont(desc, dpi, FontRules::Skin);
            made_ = true;
        }
        return font_.Get();
    }

private:
    FontDesc desc_;
    int dpi_ = 0;
    bool made_ = false;
    UniqueFont font_;
};
