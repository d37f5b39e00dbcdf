#include "DirPath.h"

#include <shlobj.h>

#include "winmsg/win/Handles.h"

std::wstring BrowseFolder(HWND owner, const std::wstring& prompt) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = prompt.c_str();  // lives until the dialog has closed
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    const UniqueCoTaskMem item(SHBrowseForFolderW(&info));
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.Get()), path)) return {};
    return std::wstring(path, wcsnlen(path, MAX_PATH));
}
