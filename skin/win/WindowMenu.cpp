#include "WindowMenu.h"

#include "skin/CaptionLayout.h"

namespace skin {

namespace {

// The window menu's items as the window's state allows them (the menu otherwise offers, say, Maximize to a
// window without a maximize box).
void PrepareWindowMenu(HWND hwnd, HMENU menu) noexcept {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    const bool iconic = IsIconic(hwnd) != FALSE;
    const bool zoomed = IsZoomed(hwnd) != FALSE;
    auto enable = [menu](UINT command, bool on) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(SC_RESTORE, iconic || zoomed);
    enable(SC_MOVE, !zoomed);
    enable(SC_SIZE, (style & WS_THICKFRAME) && !zoomed && !iconic);
    enable(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !iconic);
    enable(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !zoomed);
}

}  // namespace

void ShowWindowMenu(HWND hwnd, int dpi) noexcept {
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    PrepareWindowMenu(hwnd, menu);
    // A menu of a window that is not in front would not get the keyboard, nor close when clicked away from.
    SetForegroundWindow(hwnd);
    RECT w{};
    GetWindowRect(hwnd, &w);
    const Rect square = SystemMenuSquareAt(dpi);
    TPMPARAMS params{sizeof params,
                     {w.left + square.left, w.top + square.top, w.left + square.right, w.top + square.bottom}};
    const UINT command =
        static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, params.rcExclude.left,
                                           params.rcExclude.bottom, hwnd, &params));
    if (command && IsWindow(hwnd)) PostMessageW(hwnd, WM_SYSCOMMAND, command, 0);
}

}  // namespace skin
