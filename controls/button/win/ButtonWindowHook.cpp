#include "ButtonWindowHook.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kHookId = 0x1B77;
}

bool ButtonWindowHook::Install(HWND hwnd, IButtonHookClient& client) noexcept {
    if (hwnd_ || !hwnd) return false;
    if (!SetWindowSubclass(hwnd, &ButtonWindowHook::Proc, kHookId, reinterpret_cast<DWORD_PTR>(this))) return false;
    hwnd_ = hwnd;
    client_ = &client;
    return true;
}

void ButtonWindowHook::Remove() noexcept {
    if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &ButtonWindowHook::Proc, kHookId);
    hwnd_ = nullptr;
    client_ = nullptr;
    lists_.Clear();
}

LRESULT CALLBACK ButtonWindowHook::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<ButtonWindowHook*>(refData);
    if (msg == WM_NCDESTROY) {
        // The window's owner may delete the hook while this message runs on: let go of it first.
        RemoveWindowSubclass(hwnd, &ButtonWindowHook::Proc, id);
        self->hwnd_ = nullptr;
        self->client_ = nullptr;
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    IButtonHookClient* client = self->client_;
    bool handled = false;
    LRESULT result = 0;
    if (client && self->lists_.Before(msg)) client->zSubclass_Proc(true, handled, result, hwnd, msg, wParam, lParam);
    if (!handled) result = DefSubclassProc(hwnd, msg, wParam, lParam);
    // The previous procedure may have destroyed the window, and its owner with it.
    if (client && IsWindow(hwnd) && self->client_ == client && self->lists_.After(msg))
        client->zSubclass_Proc(false, handled, result, hwnd, msg, wParam, lParam);
    return result;
}
