#include "GroupContainer.h"

#include <string>

#include "winmsg/win/Handles.h"
#include "controls/host/win/HostedControl.h"
#include "winmsg/win/WindowText.h"

HWND GroupContainer::CreateGroup(HWND parent, int id, const wchar_t* caption, const RECT& rect, bool framed,
                                 HFONT font) {
    framed_ = framed;
    font_ = font;
    WindowArgs args;
    args.windowClass = {kClassName, CS_HREDRAW | CS_VREDRAW, GetSysColorBrush(COLOR_BTNFACE)};
    args.text = caption;
    args.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_CONTROLPARENT;
    args.rect = rect;
    args.parent = parent;
    args.id = id;
    return Create(args);
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
            if (HWND root = GetAncestor(Hwnd(), GA_ROOT)) return SendMessageW(root, msg, wParam, lParam);
            break;
        case WM_PAINT: OnPaint(); return 0;
        case WM_ENABLE:
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(Hwnd(), msg, wParam, lParam);
            InvalidateRect(Hwnd(), nullptr, TRUE);
            if (msg == WM_ENABLE) HostedControl::AnnounceContainerEnabled(Hwnd());
            return r;
        }
        case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
        case WM_SETFONT:
            // A new screen scale brings a new font; the caption line is drawn in it.
            font_ = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) InvalidateRect(Hwnd(), nullptr, TRUE);
            return 0;
        default: break;
    }
    return DefWindowProcW(Hwnd(), msg, wParam, lParam);
}

void GroupContainer::OnPaint() {
    PaintDC dc(Hwnd());
    if (!framed_) return;
    RECT client;
    GetClientRect(Hwnd(), &client);
    SelectGuard selectFont(dc.Get(), font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.Get(), &tm);

    // The frame runs through the middle of the caption line, as a group box's does.
    RECT frame = client;
    frame.top = tm.tmHeight / 2;
    DrawEdge(dc.Get(), &frame, EDGE_ETCHED, BF_RECT);

    const std::wstring caption = WindowText(Hwnd());
    const int length = static_cast<int>(caption.size());
    if (length == 0) return;
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), caption.c_str(), length, &extent);
    RECT text{8, 0, 8 + extent.cx + 4, tm.tmHeight};
    FillRect(dc.Get(), &text, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), GetSysColor(IsWindowEnabled(Hwnd()) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    TextOutW(dc.Get(), text.left + 2, 0, caption.c_str(), length);
}
