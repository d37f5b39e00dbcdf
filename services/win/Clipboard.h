#pragma once

#include <windows.h>

#include <string>

// The clipboard's Unicode text; "" when it holds no text or stays busy.
std::wstring ClipboardText(HWND owner);
