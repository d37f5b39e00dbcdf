#pragma once
// The program's one notification-area icon. One record for the process: each call overwrites some fields
// and hands the whole record to the shell, so fields a call does not set keep earlier values.

#include <windows.h>

#include <string>

#include "winmsg/win/Handles.h"

// The icon is the file's image at the system's small-icon size for `dpi`, the DPI of the window it stands for.
void AddTrayIcon(HWND window, const std::wstring& iconFile, const std::wstring& tip, int dpi);
void RemoveTrayIcon();
void ShowTrayBalloon(HWND window, const std::wstring& text, const std::wstring& title, DWORD iconFlags);
void SetTrayTip(HWND window, const std::wstring& tip);

// The picture AddTrayIcon gives the shell: the image of the icon file at the small-icon size for `dpi`.
[[nodiscard]] UniqueIcon LoadTrayIcon(const std::wstring& iconFile, int dpi);
