#pragma once
// The window menu of a skinned frame, opened at the caption's window-menu square: the system would open it at its
// own place and paint its icon into our caption.

#include <windows.h>

namespace skin {

// Opens the window's menu under the window-menu square of a frame at the DPI, its items enabled as the window's
// state allows; the chosen command is posted as WM_SYSCOMMAND and runs after the current message.
void ShowWindowMenu(HWND hwnd, int dpi) noexcept;

}  // namespace skin
