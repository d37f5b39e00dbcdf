#pragma once
// The one window-procedure thunk: the object pointer is stored at WM_NCCREATE and cleared at WM_NCDESTROY,
// so no table maps windows to objects and no message reaches an object after its window is gone.

#include <windows.h>

template <typename Derived>
class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    virtual ~BaseWindow() = default;

    [[nodiscard]] HWND Hwnd() const noexcept { return hwnd_; }

protected:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        BaseWindow* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            self = static_cast<Derived*>(create->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<Derived*>(self)));
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            const LRESULT result = self->HandleMessage(msg, wParam, lParam);
            self->hwnd_ = nullptr;
            return result;
        }
        return self->HandleMessage(msg, wParam, lParam);
    }

    // Registers the class once per process; later calls find it registered.
    static bool RegisterClassOnce(const wchar_t* className, UINT style, HBRUSH background, HICON icon = nullptr,
                                  HICON smallIcon = nullptr) {
        WNDCLASSEXW wc{};
        if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) return true;
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = &BaseWindow::WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        wc.hIcon = icon;
        wc.hIconSm = smallIcon;
        return RegisterClassExW(&wc) != 0;
    }

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};
