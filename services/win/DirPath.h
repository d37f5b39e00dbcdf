#pragma once

#include <windows.h>

#include <string>

// The system's folder dialog, modal to `owner`; the chosen folder's path, or "" when cancelled or when the
// choice is no file-system folder.
std::wstring BrowseFolder(HWND owner, const std::wstring& prompt);
