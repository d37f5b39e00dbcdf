#include "ButtonWindowHook.h"

bool ButtonWindowHook::Install(HWND hwnd, IButtonHookClient& client) noexcept {
    if (hwnd_ || !hwnd) return false;
    hwnd_ = hwnd;
    client_ = &client;
    return true;
}

void ButtonWindowHook::Remove() noexcept {
    hwnd_ = nullptr;
    client_ = nullptr;
    lists_.Clear();
}

bool ButtonWindowHook::Before(HWND hwnd, UINT& msg, WPARAM& wParam, LPARAM& lParam, LRESULT& result) noexcept {
    if (!client_ || hwnd != hwnd_ || !lists_.Before(msg)) return false;
    bool handled = false;
    client_->zSubclass_Proc(true, handled, result, hwnd, msg, wParam, lParam);
    return handled;
}

void ButtonWindowHook::After(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept {
    if (!client_ || hwnd != hwnd_ || !lists_.After(msg)) return;
    bool handled = false;
    client_->zSubclass_Proc(false, handled, result, hwnd, msg, wParam, lParam);
}
