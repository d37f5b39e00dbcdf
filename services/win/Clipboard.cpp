#include "Clipboard.h"

std::wstring ClipboardText(HWND owner) {
    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(owner)); ++attempt) Sleep(20);
    if (!open) return {};
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
            text.assign(chars, wcsnlen(chars, capacity));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}
