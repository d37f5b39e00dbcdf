#pragma once
// Opens a menu-bar item's popup under the item and keeps the bar alive while it is open: Left and Right move to
// the neighbouring bar item (wrapping at both ends) unless the popup has a submenu to open or close, and a pointer
// moving onto another bar item switches to that item's popup without a click. It sees the menu loop's messages
// through the message-filter hook, which exists only while a popup is open. It knows the bar only as IMenuBarItems.

#include <windows.h>

#include "winmsg/win/ISubclass.h"
#include "IMenuBarItems.h"

class cToolbarMenu : public ISubclass {
public:
    cToolbarMenu() = default;
    cToolbarMenu(const cToolbarMenu&) = delete;
    cToolbarMenu& operator=(const cToolbarMenu&) = delete;
    ~cToolbarMenu() override;

    // Remembers the window and its menu bar and subscribes the window's WM_MENUSELECT. Throws ComponentError when
    // the window cannot be subscribed.
    void Start(HWND window, IMenuBarItems* menuBar);
    void Stop() noexcept;

    // Opens the item's popup and, while the user moves along the bar, the popups of the items moved to. Returns
    // when the last popup closes, with the last result of the popup call (0 when nothing opened, or when called
    // while already tracking).
    int TrackMenu(int item) noexcept;
    [[nodiscard]] bool Busy() const noexcept { return busy_; }

    // One message of the open popup's loop; true when it was used and must not reach the menu.
    [[nodiscard]] bool FilterMessage(const MSG& msg) noexcept;

    // ISubclass
    [[nodiscard]] MsgResponseMode MsgResponse() override { return mrCallOldBefore; }
    void MsgResponse(MsgResponseMode) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void SwitchTo(int item) noexcept;

    // While a popup of ours is open, WM_MENUSELECT tells which arrow keys may move along the bar; else it is ignored.
    enum class TrackState { Idle, PopupOpen };
    // No bar item to open once the running popup closes: the tracking ends.
    static constexpr int kNoNextItem = -1;

    TrackState state_ = TrackState::Idle;
    bool mayGoRight_ = true;
    bool mayGoLeft_ = true;
    HMENU currentPopup_ = nullptr;
    int currentItem_ = 0;
    bool escapeSeen_ = false;
    POINT lastPointer_{};
    int nextItem_ = kNoNextItem;
    bool busy_ = false;
    HWND window_ = nullptr;
    IMenuBarItems* menuBar_ = nullptr;  // the bar that owns this tracker; cleared by Stop
};
