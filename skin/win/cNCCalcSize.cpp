#include "cNCCalcSize.h"

#include <windowsx.h>

#include <cstring>
#include <iterator>

#include "skin/CaptionLayout.h"
#include "winmsg/win/CaughtException.h"
#include "winmsg/win/Dpi.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/MSubclass.h"
#include "FrameMetrics.h"
#include "WindowMenu.h"
#include "mDeclares.h"

namespace {

// The messages the engine answers, in the order it subscribes to them (WM_SIZE between the last two, for an MDI
// child only).
constexpr UINT kMessages[] = {WM_NCCALCSIZE,      WM_NCPAINT,   WM_NCACTIVATE,  WM_NCLBUTTONDOWN, WM_NCLBUTTONUP,
                              WM_NCLBUTTONDBLCLK, WM_NCHITTEST, WM_SETCURSOR,   WM_INITMENU,      WM_INITMENUPOPUP,
                              WM_STYLECHANGED,    WM_SETTEXT,   WM_ACTIVATEAPP, WM_ENTERMENULOOP, WM_EXITMENULOOP};

RECT WindowRectOf(HWND hwnd) noexcept {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

POINT RelativeToWindow(HWND hwnd, POINT screen) noexcept {
    const RECT r = WindowRectOf(hwnd);
    return {screen.x - r.left, screen.y - r.top};
}

// Runs `call` with the window style lacking WS_VISIBLE: the system then keeps its own caption painting to itself.
template <typename Call>
LRESULT WithoutVisibleStyle(HWND hwnd, Call call) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    const LRESULT result = call();
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    return result;
}

// The lParam of a WM_NCACTIVATE passed on: the system records the new state without painting its own caption over
// ours first.
constexpr LPARAM kKeepCaptionUnpainted = -1;

}  // namespace

void cNCCalcSize::Redraw(HWND hwnd) noexcept {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void cNCCalcSize::Display(HWND hwnd) noexcept {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
}

void cNCCalcSize::TitleBarMouseDown() noexcept {
    if (!window_) return;
    POINT p{};
    GetCursorPos(&p);
    const LPARAM at =
        MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
    ReleaseCapture();
    SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, at);
}

void cNCCalcSize::SysCommand(WPARAM eCmd) const noexcept {
    if (window_) PostMessageW(window_, WM_SYSCOMMAND, eCmd, 0);
}

void cNCCalcSize::Attach(INCAreaModifier* iTo) {
    Detach();
    if (!iTo) return;
    const HWND hwnd = iTo->hwnd();
    menu_ = GetMenu(hwnd);
    wchar_t parentClass[260] = {};
    if (const HWND parent = GetParent(hwnd))
        GetClassNameW(parent, parentClass, static_cast<int>(std::size(parentClass)));
    isMdiChild_ = std::wcscmp(parentClass, L"MDIClient") == 0;

    window_ = hwnd;
    dpi_ = WindowDpi(hwnd);
    try {
        SubscribeAll();
    } catch (...) {
        // Half a subscription would leave the window with a router that answers some messages only.
        UnsubscribeAll();
        window_ = nullptr;
        menu_ = nullptr;
        isMdiChild_ = false;
        throw;
    }
    plainFrame_.Prepare(dpi_);
    mdiClient_ = FindWindowExW(hwnd, nullptr, L"MDIClient", nullptr);
    SetPropW(hwnd, kImplementationProperty, static_cast<HANDLE>(iTo));
    // Alt+key presses of the active window reach its painter through ForwardAltKey.
    mDeclares::RegisterEngine(this);
}

void cNCCalcSize::Detach() noexcept {
    mDeclares::UnregisterEngine(this);
    if (window_) UnsubscribeAll();
    isMdiChild_ = false;
    plainFrame_.Release();
    if (window_) RemovePropW(window_, kImplementationProperty);
    window_ = nullptr;
    mdiClient_ = nullptr;
    menu_ = nullptr;
}

void cNCCalcSize::DpiChanged(int dpi) noexcept {
    if (dpi <= 0 || dpi == dpi_) return;
    captionDrag_.DpiChanged(dpi_, dpi);
    dpi_ = dpi;
    if (!window_) return;
    try {
        plainFrame_.Prepare(dpi_);
    } catch (...) {
        // No surface: the plain frame leaves its caption out until the next attach.
        plainFrame_.Release();
        ReportCaughtException(L"the plain frame's surface");
    }
}

void cNCCalcSize::SubscribeAll() {
    // In one batch: the router checks the window and counts the subscriptions once, not once per message.
    UINT messages[std::size(kMessages) + 2];
    size_t n = 0;
    for (UINT message : kMessages) messages[n++] = message;
    if (isMdiChild_) messages[n++] = WM_SIZE;
    messages[n++] = WM_DESTROY;
    MSubclass::AttachMessages(this, window_, {messages, n});
}

void cNCCalcSize::UnsubscribeAll() noexcept {
    for (UINT message : kMessages) MSubclass::DetachMessage(this, window_, message);
    if (isMdiChild_) MSubclass::DetachMessage(this, window_, WM_SIZE);
    MSubclass::DetachMessage(this, window_, WM_DESTROY);
}

bool cNCCalcSize::GetImplementation(INCAreaModifier*& iTo) const noexcept {
    iTo = window_ ? static_cast<INCAreaModifier*>(GetPropW(window_, kImplementationProperty)) : nullptr;
    return iTo != nullptr;
}

bool cNCCalcSize::ForwardAltKey(UINT vKey) noexcept {
    INCAreaModifier* painter = nullptr;
    if (!GetImplementation(painter)) return false;
    try {
        return painter->AltKeyAccelerator(vKey);
    } catch (...) {
        ReportCaughtException(L"the frame's Alt key");
        return false;
    }
}

MsgResponseMode cNCCalcSize::MsgResponse() {
    switch (MSubclass::CurrentMessage()) {
        case WM_DESTROY:
        case WM_ACTIVATEAPP:
        case WM_NCLBUTTONUP: return mrCallOldBefore;
        // WM_NCCALCSIZE and WM_NCACTIVATE call the previous procedure themselves: the first must see the
        // rectangle before the system has changed it, the second with the argument that keeps the system's
        // caption off the screen.
        default: return mrConsume;
    }
}

LRESULT cNCCalcSize::WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    switch (iMsg) {
        case WM_DESTROY: Detach(); return 0;
        case WM_SIZE: PreviousThenRepaint(hwnd, iMsg, wParam, lParam); return 0;
        case WM_SETTEXT: return OnSetText(hwnd, wParam, lParam);
        case WM_STYLECHANGED: {
            const LRESULT result = MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
            if (!temporaryStyle_) Repaint();
            return result;
        }
        case WM_NCLBUTTONDBLCLK: return OnNcLButtonDblClk(hwnd, wParam, lParam);
        case WM_ACTIVATEAPP: appActive_ = wParam != 0; return 0;
        case WM_SETCURSOR: return OnSetCursor(hwnd, wParam, lParam);
        case WM_NCCALCSIZE: return OnNcCalcSize(hwnd, wParam, lParam);
        case WM_NCHITTEST: return OnNcHitTest(hwnd, wParam, lParam);
        case WM_NCPAINT: return OnNcPaint(hwnd, wParam, lParam);
        case WM_NCACTIVATE: return OnNcActivate(hwnd, wParam);
        case WM_NCLBUTTONDOWN: return OnNcLButtonDown(hwnd, lParam);
        case WM_NCLBUTTONUP: return OnNcLButtonUp(hwnd, lParam);
        case WM_INITMENU:
        case WM_ENTERMENULOOP: PreviousThenRepaint(hwnd, iMsg, wParam, lParam); return 0;
        case WM_INITMENUPOPUP: {
            PreviousThenRepaint(hwnd, iMsg, wParam, lParam);
            INCAreaModifier* painter = nullptr;
            if (HIWORD(lParam) == 0 && GetImplementation(painter)) painter->InitMenuPopup(wParam, lParam);
            return 0;
        }
        case WM_EXITMENULOOP: {
            PreviousThenRepaint(hwnd, iMsg, wParam, lParam);
            INCAreaModifier* painter = nullptr;
            if (GetImplementation(painter)) painter->ExitMenuLoop();
            return 0;
        }
        default: return 0;
    }
}

LRESULT cNCCalcSize::PreviousThenRepaint(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
    Repaint();
    return result;
}

bool cNCCalcSize::RecomputeMaximizedMdiChild() noexcept {
    maximizedMdiChild_ = isMdiChild_ && IsZoomed(window_);
    return maximizedMdiChild_;
}

LRESULT cNCCalcSize::OnNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const bool maximizedMdiChild = RecomputeMaximizedMdiChild();
    INCAreaModifier* painter = nullptr;
    const bool painted = !maximizedMdiChild && GetImplementation(painter);
    auto askMargins = [&] {
        leftMargin_ = rightMargin_ = FrameMetric(SM_CXFRAME, dpi_);
        topMargin_ = FrameMetric(SM_CYCAPTION, dpi_) + FrameMetric(SM_CYFRAME, dpi_);
        bottomMargin_ = FrameMetric(SM_CYFRAME, dpi_);
        if (!painted) return;
        painter->GetLeftMarginWidth(leftMargin_);
        painter->GetTopMarginHeight(topMargin_);
        painter->GetRightMarginWidth(rightMargin_);
        painter->GetBottomMarginHeight(bottomMargin_);
    };
    auto shrink = [this](RECT& r) {
        r = {r.left + leftMargin_, r.top + topMargin_, r.right - rightMargin_, r.bottom - bottomMargin_};
    };

    if (!wParam) {
        // A plain window rectangle to turn into the client rectangle. The system's answer for a painted window
        // would be its own frame's, so a painted window gets its margins here too.
        if (!painted) return MSubclass::CallOldWindowProc(hwnd, WM_NCCALCSIZE, wParam, lParam);
        askMargins();
        shrink(*reinterpret_cast<RECT*>(lParam));
        return 0;
    }

    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    const RECT proposed = params->rgrc[0];
    // The system's processing runs first, as for any message the engine lets through, and is then discarded.
    MSubclass::CallOldWindowProc(hwnd, WM_NCCALCSIZE, wParam, lParam);
    RECT client = proposed;
    if (const WINDOWPOS* pos = params->lppos) client = {pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
    askMargins();
    shrink(client);
    params->rgrc[0] = client;
    params->rgrc[1] = client;
    return WVR_REDRAW;
}

int cNCCalcSize::ComputeHitCode(POINT screen) {
    const RECT r = WindowRectOf(window_);
    const int x = screen.x - r.left;
    const int y = screen.y - r.top;
    const bool sizable = (GetWindowLongPtrW(window_, GWL_STYLE) & WS_THICKFRAME) != 0;
    int code = skin::DefaultHitCode(x, y, r.right - r.left, r.bottom - r.top,
                                    {leftMargin_, topMargin_, rightMargin_, bottomMargin_}, sizable,
                                    FrameMetric(SM_CYCAPTION, dpi_));
    INCAreaModifier* painter = nullptr;
    if (GetImplementation(painter)) {
        const int engineCode = code;
        try {
            painter->HitTest(x, y, code);
        } catch (...) {
            ReportCaughtException(L"the frame's hit test");
            code = engineCode;
        }
    }
    return code;
}

LRESULT cNCCalcSize::OnNcHitTest(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    INCAreaModifier* painter = nullptr;
    if (!GetImplementation(painter)) return MSubclass::CallOldWindowProc(hwnd, WM_NCHITTEST, wParam, lParam);
    lastHitCode_ = ComputeHitCode({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return lastHitCode_ == HTMENU ? HTCLIENT : lastHitCode_;
}

void cNCCalcSize::PaintFrame(HDC dc, int width, int height) noexcept {
    INCAreaModifier* painter = nullptr;
    if (GetImplementation(painter)) {
        try {
            if (painter->NCPaint(dc, 0, 0, width, height)) return;
        } catch (...) {
            ReportCaughtException(L"the frame's painter");
        }
        // The painter's margins may be wider than the plain frame: clear what it would have covered first.
        const HBRUSH brush = GetSysColorBrush(windowActive_ ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
        const RECT bands[] = {{0, 0, width, topMargin_},
                              {0, topMargin_, leftMargin_, height - bottomMargin_},
                              {width - rightMargin_, topMargin_, width, height - bottomMargin_},
                              {0, height - bottomMargin_, width, height}};
        for (const RECT& band : bands) FillRect(dc, &band, brush);
    }
    DefaultNCPaint(dc, 0, 0, width, height);
}

LRESULT cNCCalcSize::OnNcPaint(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (!window_ || !IsWindowVisible(hwnd)) return 0;
    if (RecomputeMaximizedMdiChild()) return MSubclass::CallOldWindowProc(hwnd, WM_NCPAINT, wParam, lParam);
    // The update region in wParam is not used: the whole frame is painted every time.
    const WindowFrameDC dc(hwnd);
    if (!dc.Get()) return 0;
    const RECT r = WindowRectOf(hwnd);
    PaintFrame(dc.Get(), r.right - r.left, r.bottom - r.top);
    return 0;
}

LRESULT cNCCalcSize::OnNcActivate(HWND hwnd, WPARAM wParam) {
    windowActive_ = wParam != 0;
    const LRESULT result = MSubclass::CallOldWindowProc(hwnd, WM_NCACTIVATE, wParam, kKeepCaptionUnpainted);
    Repaint();
    return result;
}

void cNCCalcSize::NudgePointer() noexcept {
    if (jiggleX_ == 0) jiggleX_ = 1;
    if (jiggleY_ == 0) jiggleY_ = 1;
    jiggleX_ = -jiggleX_;
    jiggleY_ = -jiggleY_;
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = jiggleX_;
    input.mi.dy = jiggleY_;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

namespace {

// Hands a press at `screen` to the painter; true when the painter took it.
bool PressPainter(INCAreaModifier& painter, HWND hwnd, POINT screen, const wchar_t* what) noexcept {
    const POINT p = RelativeToWindow(hwnd, screen);
    const RECT r = WindowRectOf(hwnd);
    bool handled = false;
    const WindowFrameDC dc(hwnd);
    try {
        painter.NCMouseDown(p.x, p.y, handled, dc.Get(), 0, 0, r.right - r.left, r.bottom - r.top);
    } catch (...) {
        ReportCaughtException(what);
        return false;
    }
    return handled;
}

}  // namespace

LRESULT cNCCalcSize::OnNcLButtonDown(HWND hwnd, LPARAM lParam) {
    NudgePointer();
    const POINT pressed{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int code = ComputeHitCode(pressed);
    INCAreaModifier* painter = nullptr;
    if (GetImplementation(painter)) {
        if (lastHitCode_ == HTCAPTION) {
            if (!windowActive_) SetForegroundWindow(hwnd);
            captionDrag_.Run(*this, pressed);
            return 0;
        }
        if (PressPainter(*painter, hwnd, pressed, L"the frame's mouse press")) return 0;
        if (code == HTSYSMENU) {
            // Passed on, the press would open the window menu at the system's place and paint the system's icon
            // into our caption.
            skin::ShowWindowMenu(hwnd, dpi_);
            return 0;
        }
    }
    MSubclass::CallOldWindowProc(hwnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(code), lParam);
    Repaint();
    return 0;
}

LRESULT cNCCalcSize::OnNcLButtonUp(HWND hwnd, LPARAM lParam) {
    // Only the release: a release over a button that was not pressed runs nothing. The place is where the button
    // went up, wherever the pointer has gone since.
    INCAreaModifier* painter = nullptr;
    if (!GetImplementation(painter)) return 0;
    const POINT p = RelativeToWindow(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    const RECT r = WindowRectOf(hwnd);
    const WindowFrameDC dc(hwnd);
    try {
        painter->NCMouseUp(p.x, p.y, dc.Get(), 0, 0, r.right - r.left, r.bottom - r.top);
    } catch (...) {
        ReportCaughtException(L"the frame's mouse release");
    }
    return 0;
}

LRESULT cNCCalcSize::OnNcLButtonDblClk(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    // The second press of a double click on a caption button is a press of that button. Passed on, it would reach
    // the system as a double click on the window-menu code, which closes the window.
    INCAreaModifier* painter = nullptr;
    if (GetImplementation(painter) && wParam == HTSYSMENU) {
        if (PressPainter(*painter, hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, L"the frame's double click"))
            return 0;
    }
    const LRESULT result = MSubclass::CallOldWindowProc(hwnd, WM_NCLBUTTONDBLCLK, wParam, lParam);
    if (!temporaryStyle_) Repaint();
    return result;
}

LRESULT cNCCalcSize::OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    temporaryStyle_ = true;
    const LRESULT result = MSubclass::CallOldWindowProc(hwnd, WM_SETCURSOR, wParam, lParam);
    // A standard menu bar the window got back goes: only the painter's drawn menu remains. The frame change that
    // follows happens without WS_VISIBLE, so the system paints nothing of its own meanwhile. The style stays as
    // it is otherwise: a window without WS_VISIBLE, even for an instant, is passed over by the input that arrives
    // then, and a click would land on the desktop behind it.
    if (GetMenu(hwnd)) WithoutVisibleStyle(hwnd, [hwnd] { return static_cast<LRESULT>(SetMenu(hwnd, nullptr)); });
    temporaryStyle_ = false;
    return result;
}

LRESULT cNCCalcSize::OnSetText(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    // The system paints its own caption with the new text, before ours is back, only for a window with a whole
    // WS_CAPTION: half of it goes for the call. WS_VISIBLE stays, or clicks arriving meanwhile would pass the window
    // over and land on the desktop behind it.
    temporaryStyle_ = true;
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    const bool captioned = (style & WS_CAPTION) == WS_CAPTION;
    if (captioned) SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_DLGFRAME));
    const LRESULT result = MSubclass::CallOldWindowProc(hwnd, WM_SETTEXT, wParam, lParam);
    if (captioned) SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    temporaryStyle_ = false;
    Repaint();
    return result;
}

void cNCCalcSize::DefaultNCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) noexcept {
    plainFrame_.Paint(window_, hdc, lLeft, lTop, lRight, lBottom, windowActive_);
}
