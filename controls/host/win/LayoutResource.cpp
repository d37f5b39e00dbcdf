#include "LayoutResource.h"

LayoutSet LoadLayoutResource(HMODULE module, int resourceId) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return {};
    return LayoutSet::Parse(std::string_view(static_cast<const char*>(data), size));
}
