#pragma once
// The hook a button puts on its own window: the platform's subclassing (SetWindowSubclass) with lists of
// messages the client hears before and after the window's previous procedure. The client is found through the
// subclass's reference data, so no table maps windows to objects.

#include <windows.h>

#include "controls/button/ButtonHookLists.h"

class IButtonHookClient {
public:
    // before: called ahead of the previous procedure (set handled to skip it); after: result holds its answer.
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
    ~ButtonWindowHook() { Remove(); }

    // One window per hook; a second Install on the same hook is refused.
    bool Install(HWND hwnd, IButtonHookClient& client) noexcept;
    void Register(UINT message, int when) { lists_.Register(message, when); }
    // Gives the window its previous procedure back; failures are ignored.
    void Remove() noexcept;
    [[nodiscard]] bool Installed() const noexcept { return hwnd_ != nullptr; }
    [[nodiscard]] const button::HookLists& Lists() const noexcept { return lists_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR refData) noexcept;

    HWND hwnd_ = nullptr;
    IButtonHookClient* client_ = nullptr;
    button::HookLists lists_;
};
