#pragma once
// The window's menu drawn as a row of items inside the skinned caption. The caption painter has it render the
// menu's popup items at every frame paint; it keeps their rectangles for hit-testing, shows the item under the
// pointer raised and the pressed one sunken, opens an item's popup through its tracker (cToolbarMenu) on a click
// or Alt+letter, and has the popups drawn by PopupOwnerDraw.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "winmsg/Color.h"
#include "winmsg/win/CTimer.h"
#include "winmsg/win/ISubclass.h"
#include "skin/MenuLayout.h"
#include "IMenuBarItems.h"
#include "PopupOwnerDraw.h"
#include "skin/SkinFont.h"
#include "winmsg/win/TimerConnection.h"
#include "cMemDC.h"

class cToolbarMenu;

class cMenuBar : public ISubclass, public IMenuBarItems {
public:
    cMenuBar() = default;
    cMenuBar(const cMenuBar&) = delete;
    cMenuBar& operator=(const cMenuBar&) = delete;
    ~cMenuBar() override;

    void hMenu(HMENU hTheMenu) noexcept { menu_ = hTheMenu; }
    [[nodiscard]] HMENU hMenu() const noexcept { return menu_; }

    // Subscribes the window's mouse and owner-draw messages and makes the tracker. Throws ComponentError when the
    // window cannot be subscribed; nothing stays attached then.
    void Attach(HWND lHwnd);
    void Detach() noexcept;

    // Draws the menu's popup items into the band (lLeft, lTop + the strip's top, lWidth x lHeight) of lhdc in the font
    // hFnt; lhdc reaches the window at its top-left corner. Items cut off at the band's right edge are not bar items.
    void Render(HFONT hFnt, HDC lhdc, int lLeft, int lTop, int lWidth, int lHeight) noexcept;

    // The popups' font.
    void SetFont(SharedFont font) noexcept { popupDraw_.SetFont(std::move(font)); }
    // The bar's and the popups' numbers at the window's DPI, and that DPI for the popups' fonts.
    void Scale(const skin::MenuNumbers& numbers, int dpi) noexcept {
        numbers_ = numbers;
        popupDraw_.Scale(numbers, dpi);
    }
    void SetColors(OleColor normal, OleColor over, OleColor inactive, OleColor background) noexcept;

    // Alt+key: opens the bar item whose access letter the key is, as a click would. False when none has it.
    [[nodiscard]] bool AcceleratorKey(UINT vKey) noexcept;

    // Item numbers as IMenuBarItems tells them; the pressed and the hot item may also be kItemUnknown.
    [[nodiscard]] int ItemAtCursor() const noexcept;
    [[nodiscard]] int PressedItem() const noexcept { return pressedItem_; }
    [[nodiscard]] int HotItem() const noexcept { return hotItem_; }

    // IMenuBarItems
    [[nodiscard]] int ItemAtPoint(POINT screen) const noexcept override;
    [[nodiscard]] int ItemCount() const noexcept override { return static_cast<int>(itemRects_.size()); }
    [[nodiscard]] HMENU ItemSubMenu(int i) const noexcept override;
    [[nodiscard]] RECT ItemScreenRect(int i) const noexcept override;
    void SetPressedItem(int i, bool on) noexcept override;
    void SetHotItem(int i) noexcept override;

    // Makes the popup's items owner-drawn and measures them (the popup is about to open).
    void PreparePopup(HMENU popup) noexcept { popupDraw_.Prepare(popup); }
    // Puts every item made owner-drawn back as it was.
    void RestorePopups() noexcept { popupDraw_.RestoreAll(); }

    // ISubclass
    [[nodiscard]] MsgResponseMode MsgResponse() override { return mrConsume; }
    void MsgResponse(MsgResponseMode) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnLButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void EvaluateHover() noexcept;
    void SetHoverInterval(int ms) noexcept;
    void Repaint() const noexcept;
    void OpenItem(int item) noexcept;
    [[nodiscard]] skin::BarOrigin Origin() const noexcept;
    // The texts of the menu's popup items, in order: the bar's items.
    [[nodiscard]] std::vector<std::wstring> BarTexts(std::vector<int>* positions) const;

    cMemDC surface_;
    // Shared so that a popup call on the stack keeps its tracker when the bar is detached or destroyed meanwhile.
    std::shared_ptr<cToolbarMenu> tracker_;
    // Gone with the bar: a popup call that outlives the bar sees it has no bar to go back to.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
    HMENU menu_ = nullptr;
    HWND window_ = nullptr;
    std::vector<Rect> itemRects_;  // window coordinates
    std::vector<HMENU> itemPopups_;
    int pressedItem_ = 0;
    int hotItem_ = 0;
    OleColor normalColor_ = 0;
    OleColor overColor_ = 0;
    OleColor inactiveColor_ = 0x808080;  // kept for the painter; nothing is drawn in it
    skin::MenuNumbers numbers_;
    PopupOwnerDraw popupDraw_;
    std::shared_ptr<CTimer> hoverTimer_;
    TimerConnection hoverTick_;  // after the timer: disconnects first
};
