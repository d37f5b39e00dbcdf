#include "AboutPanel.h"

AboutPanel::~AboutPanel() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool AboutPanel::Build(DWORD style, const std::wstring& version) noexcept {
    if (!RegisterClassOnce(kClassName, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring title = L"About isButton " + version;
    if (!CreateWindowExW(WS_EX_TOPMOST, kClassName, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 300, 170,
                         nullptr, nullptr, instance, this))
        return false;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
    struct Item {
        const wchar_t* cls;
        std::wstring text;
        DWORD style;
        int id, x, y, w, h;
    };
    const Item items[] = {
        {L"STATIC", L"isButton", SS_LEFT | SS_NOPREFIX, 0, 16, 12, 250, 18},
        {L"STATIC", L"Version " + version, SS_LEFT | SS_NOPREFIX, 0, 16, 32, 250, 18},
        {L"STATIC", L"Written for Verdaly by the Verdaly developers", SS_LEFT | SS_NOPREFIX, 0, 16, 52, 270, 18},
        {L"STATIC", kLink, SS_LEFT | SS_NOPREFIX | SS_NOTIFY, kLinkId, 16, 72, 250, 18},
        {L"BUTTON", L"Close", BS_PUSHBUTTON | WS_TABSTOP, kCloseId, 190, 100, 80, 24},
    };
    for (const Item& item : items) {
        HWND child =
            CreateWindowExW(0, item.cls, item.text.c_str(), WS_CHILD | WS_VISIBLE | item.style, item.x, item.y, item.w,
                            item.h, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
        if (child && font_) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    return true;
}

void AboutPanel::Show(DWORD style, const std::wstring& version, int (*opener)(const std::wstring&) noexcept) noexcept {
    opener_ = opener;
    const DWORD shown = style | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
    if (!hwnd_ && !Build(shown, version)) return;
    SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(shown));
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
}

LRESULT AboutPanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCloseId) {
                ShowWindow(hwnd_, SW_HIDE);
                return 0;
            }
            if (LOWORD(wParam) == kLinkId && HIWORD(wParam) == STN_CLICKED && opener_) {
                opener_(kLink);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kLinkId) {
                SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_HOTLIGHT));
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_CLOSE:
            ShowWindow(hwnd_, SW_HIDE);  // the button owns the panel; closing only hides it
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}
