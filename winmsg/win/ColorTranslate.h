#pragma once
// The platform's system colours for the one colour translation (winmsg/Color.h), for the painters that draw with
// the session's colours.

#include <windows.h>

#include "winmsg/Color.h"

// The colour to draw for a stored value, with the platform's system colours; kFailedColor (CLR_INVALID) when it is
// no colour the platform knows.
[[nodiscard]] ColorRef TranslateColor(OleColor color) noexcept;
// The platform's system colours, for code that translates through the portable rule with them.
[[nodiscard]] const SystemColors& PlatformColors() noexcept;
