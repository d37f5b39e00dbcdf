#pragma once
// What a window shows, as a 24-bit BMP file: its client area as WM_PRINTCLIENT paints it.

#include <windows.h>

#include <string>

// False when the image could not be made or the file not written.
[[nodiscard]] bool WriteWindowBmp(const std::wstring& path, HWND window);
