#pragma once
// The program's one notification-area icon. One record for the process: each call overwrites some fields
// and hands the whole record to the shell, so fields a call does not set keep earlier values.

#include <windows.h>

#include <string>

void AddTrayIcon(HWND window, const std::wstring& iconFile, const std::wstring& tip);
void RemoveTrayIcon();
void ShowTrayBalloon(HWND window, const std::wstring& text, const std::wstring& title, DWORD iconFlags);
void SetTrayTip(HWND window, const std::wstring& tip);
