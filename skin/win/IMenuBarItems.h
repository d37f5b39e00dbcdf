#pragma once
// What the bar's tracker (cToolbarMenu) asks of the menu bar it moves along. Item numbers are 1-based and count the
// menu's popup items only; 0 means none. The tracker keeps only the raw address of this interface: the bar stops
// its tracker before it goes.

#include <windows.h>

class IMenuBarItems {
public:
    // The pressed and hot item once a popup has closed. It is no item either, but unlike 0 it is no answer of a
    // look at the pointer: the next one draws the bar afresh.
    static constexpr int kItemUnknown = -1;

    // The item under a point on the screen; 0 for none.
    [[nodiscard]] virtual int ItemAtPoint(POINT screen) const noexcept = 0;
    [[nodiscard]] virtual int ItemCount() const noexcept = 0;
    // The item's popup; null for a number outside 1..ItemCount().
    [[nodiscard]] virtual HMENU ItemSubMenu(int i) const noexcept = 0;
    // The item's highlight rectangle on the screen; empty for a number outside 1..ItemCount().
    [[nodiscard]] virtual RECT ItemScreenRect(int i) const noexcept = 0;
    // Marks the item pressed (on) or, if it is the pressed one, no longer pressed (the pressed item becomes
    // kItemUnknown); the bar is drawn again.
    virtual void SetPressedItem(int i, bool on) noexcept = 0;
    // Marks the item as the one under the pointer; the bar is drawn again.
    virtual void SetHotItem(int i) noexcept = 0;

protected:
    // Nobody deletes a bar through the tracker's raw address.
    ~IMenuBarItems() = default;
};
