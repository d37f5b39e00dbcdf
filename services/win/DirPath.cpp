#include "DirPath.h"

#include <shlobj.h>

std::wstring BrowseFolder(HWND owner, const std::wstring& prompt) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = prompt.c_str();  // lives until the dialog has closed
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    if (!ok) return {};
    return std::wstring(path, wcsnlen(path, MAX_PATH));
}
