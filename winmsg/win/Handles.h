#pragma once
// One owner for every platform handle: move-only types that free what they hold exactly once.
// DeleteObject, DeleteDC, ReleaseDC, EndPaint, InternetCloseHandle and friends live here and almost nowhere else.

#include <windows.h>
#include <objbase.h>
#include <uxtheme.h>
#include <wininet.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    [[nodiscard]] Handle Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return Traits::IsValid(h_); }
    Handle Release() noexcept { return std::exchange(h_, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid()) noexcept {
        if (Traits::IsValid(h_)) Traits::Close(h_);
        h_ = h;
    }

private:
    Handle h_ = Traits::Invalid();
};

namespace handle_traits {

template <typename H>
struct Gdi {
    using Handle = H;
    static H Invalid() { return nullptr; }
    static bool IsValid(H h) { return h != nullptr; }
    static void Close(H h) { DeleteObject(h); }
};
struct Icon {
    using Handle = HICON;
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct MemDC {
    using Handle = HDC;
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct Kernel {
    using Handle = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct Find {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct Internet {
    using Handle = HINTERNET;
    static HINTERNET Invalid() { return nullptr; }
    static bool IsValid(HINTERNET h) { return h != nullptr; }
    static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
struct Hook {
    using Handle = HHOOK;
    static HHOOK Invalid() { return nullptr; }
    static bool IsValid(HHOOK h) { return h != nullptr; }
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};
struct Theme {
    using Handle = HTHEME;
    static HTHEME Invalid() { return nullptr; }
    static bool IsValid(HTHEME h) { return h != nullptr; }
    static void Close(HTHEME h) { CloseThemeData(h); }
};
// Memory the shell or COM handed over (an item list, a string) and that we must give back.
struct CoTaskMem {
    using Handle = void*;
    static void* Invalid() { return nullptr; }
    static bool IsValid(void* p) { return p != nullptr; }
    static void Close(void* p) { CoTaskMemFree(p); }
};
// A menu no window holds (a window destroys the menu it holds itself).
struct Menu {
    using Handle = HMENU;
    static HMENU Invalid() { return nullptr; }
    static bool IsValid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct Window {
    using Handle = HWND;
    static HWND Invalid() { return nullptr; }
    static bool IsValid(HWND h) { return h != nullptr; }
    static void Close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};

}  // namespace handle_traits

using UniqueFont = UniqueHandle<handle_traits::Gdi<HFONT>>;
using UniqueBrush = UniqueHandle<handle_traits::Gdi<HBRUSH>>;
using UniquePen = UniqueHandle<handle_traits::Gdi<HPEN>>;
using UniqueBitmap = UniqueHandle<handle_traits::Gdi<HBITMAP>>;
using UniqueRegion = UniqueHandle<handle_traits::Gdi<HRGN>>;
using UniqueIcon = UniqueHandle<handle_traits::Icon>;
// A DC made by CreateCompatibleDC or CreateDC: both go with DeleteDC.
using UniqueMemDC = UniqueHandle<handle_traits::MemDC>;
using UniqueKernelHandle = UniqueHandle<handle_traits::Kernel>;
using UniqueFind = UniqueHandle<handle_traits::Find>;
using UniqueInternet = UniqueHandle<handle_traits::Internet>;
using UniqueHook = UniqueHandle<handle_traits::Hook>;
using UniqueWindow = UniqueHandle<handle_traits::Window>;
using UniqueMenu = UniqueHandle<handle_traits::Menu>;
using UniqueTheme = UniqueHandle<handle_traits::Theme>;
using UniqueCoTaskMem = UniqueHandle<handle_traits::CoTaskMem>;

// GetDC / ReleaseDC for one scope.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    [[nodiscard]] HDC Get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(hwnd_, &ps_); }
    [[nodiscard]] HDC Get() const noexcept { return dc_; }
    [[nodiscard]] const RECT& Area() const noexcept { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back at the end of the scope.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_) SelectObject(dc_, old_);
    }
    // False when the object could not be selected (a bitmap already selected elsewhere, a bad handle).
    [[nodiscard]] bool Selected() const noexcept { return old_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window timer that is killed when its owner goes.
class WindowTimer {
public:
    WindowTimer() noexcept = default;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    ~WindowTimer() { Stop(); }

    void Start(HWND hwnd, UINT_PTR id, UINT intervalMs) noexcept {
        Stop();
        if (SetTimer(hwnd, id, intervalMs, nullptr)) {
            hwnd_ = hwnd;
            id_ = id;
        }
    }
    void Stop() noexcept {
        if (hwnd_) KillTimer(hwnd_, id_);
        hwnd_ = nullptr;
    }
    [[nodiscard]] bool Running() const noexcept { return hwnd_ != nullptr; }

private:
    HWND hwnd_ = nullptr;
    UINT_PTR id_ = 0;
};

// GetWindowDC / ReleaseDC for one scope: the whole window, its frame included.
class WindowFrameDC {
public:
    explicit WindowFrameDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetWindowDC(hwnd)) {}
    WindowFrameDC(const WindowFrameDC&) = delete;
    WindowFrameDC& operator=(const WindowFrameDC&) = delete;
    ~WindowFrameDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    [[nodiscard]] HDC Get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// LockWindowUpdate for one scope, for a visible window: a hidden one has nothing to hold back from the screen, and
// locking it costs a frame. Only one window of the system can be locked: a lock someone else holds is left alone,
// and only a lock taken here is released.
class WindowUpdateLock {
public:
    explicit WindowUpdateLock(HWND hwnd) noexcept
        : locked_(IsWindowVisible(hwnd) && LockWindowUpdate(hwnd) != FALSE) {}
    WindowUpdateLock(const WindowUpdateLock&) = delete;
    WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;
    ~WindowUpdateLock() {
        if (locked_) LockWindowUpdate(nullptr);
    }

private:
    bool locked_;
};
