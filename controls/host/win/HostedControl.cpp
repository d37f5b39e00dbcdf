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

LRESULT CALLBACK HostedControl::OwningProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    // The window owns its control: the object goes with the last message, after the thunk has let go of it.
    // Until Create hands it over, a failed creation leaves the object to Create.
    auto* self =
        msg == WM_NCDESTROY ? reinterpret_cast<HostedControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
    const LRESULT result = WindowProc(hwnd, msg, wParam, lParam);
    if (self && self->ownedByWindow_) delete self;
    return result;
}

HWND HostedControl::Create(std::unique_ptr<HostedControl> control, const wchar_t* className,
                           const HostedControlArgs& args) {
    if (!control) return nullptr;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &HostedControl::OwningProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) return nullptr;
    } else if (wc.lpfnWndProc != &HostedControl::OwningProc) {
        return nullptr;
    }

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

    const int width = args.rect.right - args.rect.left;
    const int height = args.rect.bottom - args.rect.top;
    HWND hwnd =
        CreateWindowExW(args.exStyle, className, args.name.c_str(), args.style, args.rect.left, args.rect.top, width,
                        height, args.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), instance, &self);
    if (!hwnd) return nullptr;  // the object goes with `control`
    self.ownedByWindow_ = true;
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
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC)) != &HostedControl::OwningProc) return nullptr;
    return reinterpret_cast<HostedControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool HostedControl::OnControlMessage(UINT, WPARAM, LPARAM, LRESULT&) noexcept {
    return false;
}

void HostedControl::Refresh() noexcept {
    if (!hwnd_) return;
    WindowDC dc(hwnd_);
    if (dc.Get()) surface_.CopyTo(dc.Get());
    ValidateRect(hwnd_, nullptr);
}

bool HostedControl::SetShape(UniqueRegion region) noexcept {
    if (!hwnd_ || !region || !SetWindowRgn(hwnd_, region.Get(), TRUE)) return false;
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
            if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
            return DefWindowProcW(hwnd_, msg, wParam, lParam);
        default: return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

void HostedControl::OnPaint() noexcept {
    OnPaintRequest();
    PaintDC paint(hwnd_);
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
