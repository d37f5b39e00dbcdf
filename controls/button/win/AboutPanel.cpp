#include "AboutPanel.h"

bool AboutPanel::Build(DWORD style, const std::wstring& version) noexcept {
    const std::wstring title = L"About isButton " + version;
    WindowArgs panel;
    panel.windowClass = {kClassName, 0, GetSysColorBrush(COLOR_BTNFACE)};
    panel.text = title.c_str();
    panel.style = style;
    panel.exStyle = WS_EX_TOPMOST;
    panel.rect = {0, 0, 300, 170};
    panel.systemPlaces = true;
    if (!Create(panel)) return false;
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
        WindowArgs args;
        args.windowClass.name = item.cls;
        args.text = item.text.c_str();
        args.style = WS_CHILD | WS_VISIBLE | item.style;
        args.rect = {item.x, item.y, item.x + item.w, item.y + item.h};
        args.parent = Hwnd();
        args.id = item.id;
        HWND child = CreateSystemWindow(args);
        if (child && font_) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    return true;
}

void AboutPanel::Show(DWORD style, const std::wstring& version, int (*opener)(const std::wstring&) noexcept) noexcept {
    opener_ = opener;
    const DWORD shown = style | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
    if (!Hwnd() && !Build(shown, version)) return;
    SetWindowLongPtrW(Hwnd(), GWL_STYLE, static_cast<LONG_PTR>(shown));
    SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
}

LRESULT AboutPanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCloseId) {
                ShowWindow(Hwnd(), SW_HIDE);
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
            ShowWindow(Hwnd(), SW_HIDE);  // the button owns the panel; closing only hides it
            return 0;
        default: break;
    }
    return DefWindowProcW(Hwnd(), msg, wParam, lParam);
}
