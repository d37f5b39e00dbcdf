#include "HostedControl.h"

#include <windowsx.h>

namespace {

// The platform's standard cursors in the numbering controls use for their mouse pointer.
LPCWSTR StandardCursor(int pointer) noexcept {
    switch (pointer) {
        case 1: return IDC_ARROW;
        case 2: return IDC_CROSS;
        case 3: return IDC_IBEAM;
        case 4: return IDC_ARROW;
        case 5: return IDC_SIZEALL;
        case 6: return IDC_SIZENESW;
        case 7: return IDC_SIZENS;
        case 8: return IDC_SIZENWSE;
        case 9: return IDC_SIZEWE;
        case 10: return IDC_UPARROW;
        case 11: return IDC_WAIT;
        case 12: return IDC_NO;
        case 13: return IDC_APPSTARTING;
        case 14: return IDC_HELP;
        case 15: return IDC_SIZEALL;
        default: return nullptr;
    }
}

}  // namespace

HWND HostedControl::Create(std::unique_ptr<HostedControl> control, const wchar_t* className,
                           const HostedControlArgs& args) {
    if (!control) return nullptr;
    HostedControl& self = *control;
    self.site_.Ambient.UserMode = args.userMode;
    self.site_.Ambient.DisplayAsDefault = args.displayAsDefault;
    self.site_.Ambient.DisplayName = args.name;
    self.site_.Ambient.Font =
        DescribeFont(args.containerFont ? args.containerFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    self.site_.Extender.Name = args.name;
    self.site_.Extender.ToolTipText = args.toolTipText;
    self.surface_.SetBackColor(self.site_.Ambient.BackColor);
    self.surface_.SetForeColor(self.site_.Ambient.ForeColor);
    self.surface_.SetFont(self.site_.Ambient.Font);

    WindowArgs window;
    window.windowClass.name = className;
    window.windowClass.style = CS_DBLCLKS;
    window.text = args.name.c_str();
    window.style = args.style;
    window.exStyle = args.exStyle;
    window.rect = args.rect;
    window.parent = args.parent;
    window.id = args.id;
    HWND hwnd = self.BaseWindow::Create(window);
    if (!hwnd) return nullptr;  // the object goes with `control`
    self.GiveToWindow();
    control.release();

    RECT client{};
    GetClientRect(hwnd, &client);
    self.surface_.Resize(client.right, client.bottom);
    if (args.persisted)
        self.ReadProperties(*args.persisted);
    else
        self.InitProperties();
    self.ready_ = true;
    self.OnResize();
    return hwnd;
}

HostedControl* HostedControl::FromHwnd(HWND hwnd) noexcept {
    return dynamic_cast<HostedControl*>(BaseWindow::FromHwnd(hwnd));
}

void HostedControl::SetAmbientDisplayAsDefault(bool value) noexcept {
    if (site_.Ambient.DisplayAsDefault == value) return;
    site_.Ambient.DisplayAsDefault = value;
    if (ready_) OnAmbientChanged(L"DisplayAsDefault");
}

bool HostedControl::OnControlMessage(UINT, WPARAM, LPARAM, LRESULT&) noexcept {
    return false;
}

void HostedControl::Refresh() noexcept {
    if (!Hwnd()) return;
    WindowDC dc(Hwnd());
    if (dc.Get()) surface_.CopyTo(dc.Get());
    ValidateRect(Hwnd(), nullptr);
}

bool HostedControl::SetShape(UniqueRegion region) noexcept {
    if (!Hwnd() || !region || !SetWindowRgn(Hwnd(), region.Get(), TRUE)) return false;
    region.Release();
    return true;
}

LRESULT HostedControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    if (OnControlMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_PRINTCLIENT: surface_.CopyTo(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_ERASEBKGND: return 1;  // the surface covers every pixel; erasing first would flicker
        case WM_SIZE: OnSize(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
            return DefWindowProcW(Hwnd(), msg, wParam, lParam);
        default: return DefWindowProcW(Hwnd(), msg, wParam, lParam);
    }
}

void HostedControl::OnPaint() noexcept {
    OnPaintRequest();
    PaintDC paint(Hwnd());
    if (paint.Get()) surface_.CopyTo(paint.Get());
}

void HostedControl::OnSize(int width, int height) noexcept {
    if (width == surface_.ScaleWidth() && height == surface_.ScaleHeight()) return;
    surface_.Resize(width, height);
    if (ready_) OnResize();
}

bool HostedControl::OnSetCursor() noexcept {
    LPCWSTR cursor = StandardCursor(surface_.MousePointer());
    if (!cursor) return false;
    SetCursor(LoadCursorW(nullptr, cursor));
    return true;
}
