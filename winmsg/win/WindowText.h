#pragma once
// Reading a window's text whole, whatever its length.

#include <windows.h>

#include <string>

[[nodiscard]] std::wstring WindowText(HWND hwnd);
