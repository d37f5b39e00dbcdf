#pragma once
// The display's DC for the calling thread, made once and kept until the thread ends: for making DCs and bitmaps
// in the screen's format and for reading bitmaps. Under Wine each display DC made or fetched costs several round
// trips to the server, and a window full of controls made one per surface. Never drawn on, never selected into.

#include <windows.h>

// Null when the display gives none.
[[nodiscard]] HDC ScreenDC() noexcept;
