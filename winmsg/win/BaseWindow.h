#pragma once
// The one window base: every window class of ours is created through BaseWindow::Create and dispatched through
// one thunk. The object pointer is stored at WM_NCCREATE and cleared at WM_NCDESTROY, so no table maps windows
// to objects and no message reaches an object after its window is gone.

#include <windows.h>

#include "Handles.h"

// The window class a Create registers on first use (once per process).
struct WindowClassArgs {
    const wchar_t* name = nullptr;
    UINT style = 0;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
};

// Everything a window is created with. `rect` is in the parent's client area (the screen for a top-level
// window); with `systemPlaces` only its size counts and the system chooses the place.
struct WindowArgs {
    WindowClassArgs windowClass;
    const wchar_t* text = L"";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    RECT rect{};
    bool systemPlaces = false;
    HWND parent = nullptr;
    int id = 0;
};

// A child or top-level window of a class we do not implement (STATIC, EDIT, tooltips...), from the same record;
// `windowClass.name` names the existing class. The caller owns the result unless a parent destroys it.
[[nodiscard]] HWND CreateSystemWindow(const WindowArgs& args) noexcept;

class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    // A window the object still owns goes with it, without one more message reaching the half-destroyed object.
    virtual ~BaseWindow();

    // Registers the class on first use and creates the window for this object. Null when the class cannot be
    // registered (or is registered with another procedure), when the system refuses the window, or when this
    // object already has a window: an object is attached to one window at most, once.
    HWND Create(const WindowArgs& args) noexcept;

    [[nodiscard]] HWND Hwnd() const noexcept { return window_.Get(); }

    // The object of a window made by Create, or null for any other window.
    [[nodiscard]] static BaseWindow* FromHwnd(HWND hwnd) noexcept;

protected:
    // Every message of the window; the default is the system's handling.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    // From now on the window owns this object (it was created with new): the object is deleted after the
    // window's last message, and no longer destroys the window itself.
    void GiveToWindow() noexcept { ownedByWindow_ = true; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static bool RegisterClassOnce(const WindowClassArgs& args) noexcept;

    UniqueWindow window_;
    bool ownedByWindow_ = false;
    bool created_ = false;
};
