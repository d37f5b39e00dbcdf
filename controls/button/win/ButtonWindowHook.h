#pragma once
// The hook a button puts on its own window: lists of messages the client hears before and after the window's
// handling of them. The window runs the hook from its own procedure. (The platform's subclassing would do the
// same, but looks its data up in a window property on every message: under Wine a round trip to the server,
// twice for each message a button gets.)

#include <windows.h>

#include "controls/button/ButtonHookLists.h"

class IButtonHookClient {
public:
    // before: called ahead of the window's handling (set handled to skip it); after: result holds its answer.
    virtual void zSubclass_Proc(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& lhWnd, UINT& uMsg, WPARAM& wParam,
                                LPARAM& lParam) noexcept = 0;

protected:
    ~IButtonHookClient() = default;
};

class ButtonWindowHook {
public:
    ButtonWindowHook() = default;
    ButtonWindowHook(const ButtonWindowHook&) = delete;
    ButtonWindowHook& operator=(const ButtonWindowHook&) = delete;

    // One window per hook; a second Install on the same hook is refused.
    bool Install(HWND hwnd, IButtonHookClient& client) noexcept;
    void Register(UINT message, int when) { lists_.Register(message, when); }
    // The client hears nothing more.
    void Remove() noexcept;
    [[nodiscard]] bool Installed() const noexcept { return hwnd_ != nullptr; }
    [[nodiscard]] const button::HookLists& Lists() const noexcept { return lists_; }

    // From the window's procedure, before its handling of a message: true when the client answered it in `result`.
    bool Before(HWND hwnd, UINT& msg, WPARAM& wParam, LPARAM& lParam, LRESULT& result) noexcept;
    // After the handling, for a window that still exists.
    void After(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;

private:
    HWND hwnd_ = nullptr;
    IButtonHookClient* client_ = nullptr;
    button::HookLists lists_;
};
