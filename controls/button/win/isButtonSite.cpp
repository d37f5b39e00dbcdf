// What the portable core asks of the window: colours and pictures from the platform, property notices, the
// owner's events, focus, enabling, the font and the mouse pointer.
#include "isButton.h"

#include <memory>

#include "ButtonCanvas.h"
#include "IconText.h"
#include "winmsg/win/WindowText.h"

using namespace button;

button::PictureRefPtr isButton::PictureFromText(std::wstring_view text) const {
    HICON icon = IconFromText(text);
    return icon ? std::make_shared<IconPicture>(icon) : nullptr;
}

void isButton::PropertyChanged(std::wstring_view name) {
    Site().PropertyChanged(name);
    // The window text mirrors the caption for the parent's GetWindowText and for screen readers.
    if (name == L"Caption" && Hwnd() && WindowText(Hwnd()) != core_.Props().Caption)
        SetWindowTextW(Hwnd(), core_.Props().Caption.c_str());
}

bool isButton::RaiseClick() {
    HWND hwnd = Hwnd();
    const int id = GetDlgCtrlID(hwnd);
    // The click action turned a check button's Value over without a property notice.
    if (core_.Props().ButtonType == ButtonCheck) AnnounceToReaders(reader::kStateChange);
    // A copy: the handler may destroy the window, and with it this object and its members.
    if (const auto click = Click) click();
    // The handler may have run a whole nested message loop; the parent still hears of this click once.
    if (IsWindow(hwnd))
        if (HWND parent = GetParent(hwnd))
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    return IsWindow(hwnd) != FALSE;
}

bool isButton::RaiseMouseEnter() {
    HWND hwnd = Hwnd();
    if (const auto mouseEnter = MouseEnter) mouseEnter();
    return IsWindow(hwnd) != FALSE;
}

void isButton::RaiseMouseLeave() {
    if (const auto mouseLeave = MouseLeave) mouseLeave();
}

void isButton::MoveFocus(bool forward) {
    HWND root = GetAncestor(Hwnd(), GA_ROOT);
    HWND next = root ? GetNextDlgTabItem(root, Hwnd(), forward ? FALSE : TRUE) : nullptr;
    if (!next || next == Hwnd()) return;
    // As Tab does: an edit box that arrives by keyboard has its text selected.
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    SetFocus(next);
}

void isButton::EnableWindow(bool enabled) {
    if (Hwnd() && (::IsWindowEnabled(Hwnd()) != FALSE) != enabled) ::EnableWindow(Hwnd(), enabled);
}

void isButton::FontChanged() {
    Surface().SetFont(core_.Props().Font);
}

void isButton::MousePointerChanged() {
    Surface().SetMousePointer(core_.Props().MousePointer);
}
