#include "GroupContainer.h"

#include <string>

#include "Handles.h"

HWND GroupContainer::Create(HWND parent, int id, const wchar_t* caption, const RECT& rect, bool framed, HFONT font) {
    if (!RegisterClassOnce(kClassName, CS_HREDRAW | CS_VREDRAW, GetSysColorBrush(COLOR_BTNFACE))) return nullptr;
    framed_ = framed;
    font_ = font;
    return CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, caption, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                           rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
}

LRESULT GroupContainer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_DRAWITEM:
            if (HWND root = GetAncestor(hwnd_, GA_ROOT)) return SendMessageW(root, msg, wParam, lParam);
            break;
        case WM_PAINT: OnPaint(); return 0;
        case WM_ENABLE:
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd_, msg, wParam, lParam);
            InvalidateRect(hwnd_, nullptr, TRUE);
            return r;
        }
        case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
        default: break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void GroupContainer::OnPaint() {
    PaintDC dc(hwnd_);
    if (!framed_) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    SelectGuard selectFont(dc.Get(), font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.Get(), &tm);

    // The frame runs through the middle of the caption line, as a group box's does.
    RECT frame = client;
    frame.top = tm.tmHeight / 2;
    DrawEdge(dc.Get(), &frame, EDGE_ETCHED, BF_RECT);

    const int length = GetWindowTextLengthW(hwnd_);
    if (length == 0) return;
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd_, caption.data(), length + 1);
    caption.resize(static_cast<size_t>(length));
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), caption.c_str(), length, &extent);
    RECT text{8, 0, 8 + extent.cx + 4, tm.tmHeight};
    FillRect(dc.Get(), &text, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), GetSysColor(IsWindowEnabled(hwnd_) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    TextOutW(dc.Get(), text.left + 2, 0, caption.c_str(), length);
}
