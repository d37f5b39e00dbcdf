#pragma once
// What a hosted control and its container share beside the bottom layer's colour and font types: the controls'
// default font.

#include "winmsg/Color.h"
#include "winmsg/FontDesc.h"

// The face a control's font starts from until the container or the control's own properties give another.
[[nodiscard]] inline FontDesc DefaultControlFont() {
    FontDesc font;
    font.Name = L"Tahoma";
    return font;
}
