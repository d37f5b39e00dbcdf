#include "cToolbarMenu.h"

#include "winmsg/win/MSubclass.h"
#include "skin/MenuLayout.h"
#include "mDeclares.h"

cToolbarMenu::~cToolbarMenu() {
    Stop();
    mDeclares::ForgetTracker(this);
}

void cToolbarMenu::Start(HWND window, IMenuBarItems* menuBar) {
    Stop();
    window_ = window;
    menuBar_ = menuBar;
    SendMessageW(window_, WM_ENTERMENULOOP, 0, 0);
    try {
        MSubclass::AttachMessage(this, window_, WM_MENUSELECT);
    } catch (...) {
        window_ = nullptr;
        menuBar_ = nullptr;
        throw;
    }
}

void cToolbarMenu::Stop() noexcept {
    if (window_) {
        SendMessageW(window_, WM_EXITMENULOOP, 0, 0);
        MSubclass::DetachMessage(this, window_, WM_MENUSELECT);
    }
    window_ = nullptr;
    menuBar_ = nullptr;
}

int cToolbarMenu::TrackMenu(int item) noexcept {
    if (busy_ || !menuBar_) return 0;
    busy_ = true;
    int result = 0;
    nextItem_ = item;
    while (nextItem_ != kNoNextItem && menuBar_) {
        item = nextItem_;
        nextItem_ = kNoNextItem;
        menuBar_->SetPressedItem(item, true);

        state_ = TrackState::PopupOpen;
        menuBar_->SetHotItem(item);
        escapeSeen_ = false;
        mayGoRight_ = mayGoLeft_ = true;
        currentItem_ = item;
        // Only a pointer that really moves switches popups: the system may report a move where it already was
        // when the popup appears.
        GetCursorPos(&lastPointer_);

        mDeclares::StartMessageFilter(this);
        const RECT r = menuBar_->ItemScreenRect(item);
        TPMPARAMS params{sizeof params, r};
        const HMENU popup = menuBar_->ItemSubMenu(item);
        if (popup) {
            currentPopup_ = popup;
            result = TrackPopupMenuEx(popup, TPM_VERTICAL, r.left, r.bottom, window_, &params);
        } else {
            result = 0;
        }
        mDeclares::StopMessageFilter();
        if (!menuBar_) break;  // stopped while the popup was open
        menuBar_->SetPressedItem(item, false);

        state_ = TrackState::Idle;
        menuBar_->SetHotItem(IMenuBarItems::kItemUnknown);
    }
    state_ = TrackState::Idle;
    busy_ = false;
    return result;
}

bool cToolbarMenu::FilterMessage(const MSG& msg) noexcept {
    if (!menuBar_) return false;
    switch (msg.message) {
        case WM_KEYDOWN: {
            const bool left = msg.wParam == VK_LEFT && mayGoLeft_;
            const bool right = msg.wParam == VK_RIGHT && mayGoRight_;
            if (left || right) {
                SwitchTo(skin::NeighbourBarItem(currentItem_, menuBar_->ItemCount(), left));
                return true;
            }
            if (msg.wParam == VK_ESCAPE) escapeSeen_ = true;
            return false;
        }
        case WM_MOUSEMOVE: {
            if (msg.pt.x == lastPointer_.x && msg.pt.y == lastPointer_.y) return false;
            const int b = menuBar_->ItemAtPoint(msg.pt);
            if (b >= 1 && b != currentItem_) SwitchTo(b);
            lastPointer_ = msg.pt;
            return false;
        }
        // A click on the open item's own bar text would close the popup and open it again.
        case WM_LBUTTONDOWN: return menuBar_->ItemAtPoint(msg.pt) == currentItem_;
        default: return false;
    }
}

void cToolbarMenu::SwitchTo(int item) noexcept {
    if (item <= 0 || item == currentItem_ || !menuBar_->ItemSubMenu(item)) return;
    // Ends the running popup call at once; the loop in TrackMenu then opens the next item.
    PostMessageW(window_, WM_CANCELMODE, 0, 0);
    nextItem_ = item;
}

LRESULT cToolbarMenu::WindowProc(HWND, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    if (iMsg != WM_MENUSELECT || state_ == TrackState::Idle) return 0;
    const auto menu = reinterpret_cast<HMENU>(lParam);
    const UINT flags = HIWORD(wParam);
    // The low word is an index only for an item that opens a submenu; for a command it is the identifier.
    mayGoRight_ = !((flags & MF_POPUP) && GetSubMenu(menu, LOWORD(wParam)));
    mayGoLeft_ = menu == currentPopup_;
    return 0;
}
