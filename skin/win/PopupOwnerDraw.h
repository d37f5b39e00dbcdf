#pragma once
// The menu bar's popups drawn by us: just before a popup opens its items become owner-drawn and are measured in
// the menu font; WM_MEASUREITEM, WM_DRAWITEM and WM_MENUCHAR for those items are answered here; after every menu
// loop the items are put back exactly as they were. Items of other owners are left to the window.

#include <windows.h>

#include <optional>

#include "winmsg/Color.h"
#include "winmsg/win/Dpi.h"
#include "skin/MenuLayout.h"
#include "skin/SkinFont.h"
#include "cMemDC.h"

class PopupOwnerDraw {
public:
    PopupOwnerDraw();
    PopupOwnerDraw(const PopupOwnerDraw&) = delete;
    PopupOwnerDraw& operator=(const PopupOwnerDraw&) = delete;

    void SetFont(SharedFont font) noexcept { menuFont_ = std::move(font); }
    // The menus' numbers and the DPI the fonts are made at: the window's.
    void Scale(const skin::MenuNumbers& numbers, int dpi) noexcept {
        numbers_ = numbers;
        dpi_ = dpi;
    }
    // Colours as 0x00BBGGRR or 0x80000000 + a system colour index.
    void SetColors(OleColor normal, OleColor over, OleColor background) noexcept;

    // Makes the popup's items owner-drawn and measures them (the popup is about to open).
    void Prepare(HMENU popup) noexcept;
    // Puts every item made owner-drawn back as it was.
    void RestoreAll() noexcept;

    // The answers for our items; false (nothing) for an item that is not ours, which the window's procedure gets.
    [[nodiscard]] bool Measure(MEASUREITEMSTRUCT* mis) const noexcept;
    [[nodiscard]] bool Draw(const DRAWITEMSTRUCT* dis) noexcept;
    [[nodiscard]] std::optional<LRESULT> MenuChar(WPARAM wParam, LPARAM lParam) const noexcept;

private:
    void DrawItem(const DRAWITEMSTRUCT& item, const skin::PopupRow& row);

    cMemDC surface_;
    skin::PopupTable rows_;
    SharedFont menuFont_;
    SharedFont glyphFont_;  // the tick and the radio dot
    OleColor normalColor_ = 0;
    OleColor overColor_ = 0;
    OleColor backgroundColor_ = 0xFFFFFF;
    skin::MenuNumbers numbers_;
    int dpi_ = SystemDpi();  // until a painter says the window's
};
