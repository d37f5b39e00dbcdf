#include "modTray.h"

#include <shellapi.h>

#include "winmsg/win/Dpi.h"
#include "winmsg/win/Handles.h"

namespace {

constexpr UINT kTrayId = 1;
constexpr UINT kCallbackMessage = WM_MOUSEMOVE;  // the event arrives in the low word of lParam

struct TrayState {
    NOTIFYICONDATAW record{};
    UniqueIcon icon;  // released when the icon goes, or replaced by the next one
};

TrayState& State() {
    static TrayState state;
    return state;
}

template <size_t N>
void CopyText(wchar_t (&field)[N], const std::wstring& text) {
    // Cut to the field, never in the middle of a surrogate pair.
    size_t length = std::min(text.size(), N - 1);
    if (length > 0 && length < text.size() && IS_HIGH_SURROGATE(text[length - 1])) --length;
    text.copy(field, length);
    field[length] = L'\0';
}

void Identify(NOTIFYICONDATAW& record, HWND window) {
    record.cbSize = sizeof(record);
    record.hWnd = window;
    record.uID = kTrayId;
}

}  // namespace

UniqueIcon LoadTrayIcon(const std::wstring& iconFile, int dpi) {
    // The notification area shows small icons, as large as the window's screen makes them; the file holds an
    // image for each common scale, so the one taken is drawn, not stretched.
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(nullptr, iconFile.c_str(), IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, dpi),
                                      SystemMetricForDpi(SM_CYSMICON, dpi), LR_LOADFROMFILE | LR_LOADMAP3DCOLORS)));
}

void AddTrayIcon(HWND window, const std::wstring& iconFile, const std::wstring& tip, int dpi) {
    TrayState& state = State();
    state.icon = LoadTrayIcon(iconFile, dpi);
    NOTIFYICONDATAW& record = state.record;
    Identify(record, window);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kCallbackMessage;
    record.hIcon = state.icon.Get();
    CopyText(record.szTip, tip);
    Shell_NotifyIconW(NIM_ADD, &record);
}

void RemoveTrayIcon() {
    TrayState& state = State();
    if (!state.record.hWnd) return;
    Shell_NotifyIconW(NIM_DELETE, &state.record);
    state.record.hWnd = nullptr;
    state.record.hIcon = nullptr;
    state.icon.Reset();
}

void ShowTrayBalloon(HWND window, const std::wstring& text, const std::wstring& title, DWORD iconFlags) {
    NOTIFYICONDATAW& record = State().record;
    Identify(record, window);
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = iconFlags;
    CopyText(record.szInfoTitle, title);
    CopyText(record.szInfo, text);
    Shell_NotifyIconW(NIM_MODIFY, &record);
}

void SetTrayTip(HWND window, const std::wstring& tip) {
    NOTIFYICONDATAW& record = State().record;
    Identify(record, window);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyText(record.szTip, tip);
    Shell_NotifyIconW(NIM_MODIFY, &record);
}
