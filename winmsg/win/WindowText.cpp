#include "WindowText.h"

#include <algorithm>

std::wstring WindowText(HWND hwnd) {
    const int length = hwnd ? GetWindowTextLengthW(hwnd) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextW(hwnd, text.data(), length + 1), 0)));
    return text;
}
