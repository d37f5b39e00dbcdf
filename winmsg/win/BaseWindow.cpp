#include "BaseWindow.h"

#include <cassert>

namespace {

HMENU IdOf(const WindowArgs& args) noexcept {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id));
}

HWND CreateFromArgs(const WindowArgs& args, void* param) noexcept {
    const RECT& r = args.rect;
    return CreateWindowExW(args.exStyle, args.windowClass.name, args.text, args.style,
                           args.systemPlaces ? CW_USEDEFAULT : r.left, args.systemPlaces ? CW_USEDEFAULT : r.top,
                           r.right - r.left, r.bottom - r.top, args.parent, IdOf(args), GetModuleHandleW(nullptr),
                           param);
}

}  // namespace

HWND CreateSystemWindow(const WindowArgs& args) noexcept {
    return CreateFromArgs(args, nullptr);
}

BaseWindow::~BaseWindow() {
    if (HWND hwnd = window_.Get()) {
        // The derived part is gone already: its handlers must not run for the messages of the destruction.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
}

bool BaseWindow::RegisterClassOnce(const WindowClassArgs& args) noexcept {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    // A class of that name made by someone else would hand our windows to a procedure that knows no object.
    if (GetClassInfoExW(instance, args.name, &wc)) return wc.lpfnWndProc == &BaseWindow::WindowProc;
    wc.cbSize = sizeof(wc);
    wc.style = args.style;
    wc.lpfnWndProc = &BaseWindow::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = args.background;
    wc.lpszClassName = args.name;
    wc.hIcon = args.icon;
    wc.hIconSm = args.smallIcon;
    return RegisterClassExW(&wc) != 0;
}

HWND BaseWindow::Create(const WindowArgs& args) noexcept {
    assert(!created_ && "a window object is attached to one window, once");
    if (created_ || !args.windowClass.name || !RegisterClassOnce(args.windowClass)) return nullptr;
    created_ = true;
    // WM_NCCREATE attaches the window; a creation refused later (WM_CREATE returning -1) detaches it again.
    return CreateFromArgs(args, this) ? window_.Get() : nullptr;
}

BaseWindow* BaseWindow::FromHwnd(HWND hwnd) noexcept {
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC)) != &BaseWindow::WindowProc) return nullptr;
    return reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT BaseWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcW(Hwnd(), msg, wParam, lParam);
}

LRESULT CALLBACK BaseWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    BaseWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->window_.Reset(hwnd);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg != WM_NCDESTROY) return self->HandleMessage(msg, wParam, lParam);

    // The last message: the object lets go of the window, and a window that owns its object deletes it.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    const LRESULT result = self->HandleMessage(msg, wParam, lParam);
    self->window_.Release();
    if (self->ownedByWindow_) delete self;
    return result;
}
