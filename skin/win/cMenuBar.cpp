#include "cMenuBar.h"

#include <optional>

#include "winmsg/win/CaughtException.h"
#include "winmsg/win/ColorTranslate.h"
#include "winmsg/win/ComponentError.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/MSubclass.h"
#include "SkinGdi.h"
#include "cToolbarMenu.h"

namespace {

// The messages the menu bar answers, in the order it subscribes to them.
constexpr UINT kMessages[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_DRAWITEM, WM_MEASUREITEM, WM_MENUCHAR};

constexpr int kHoverMs = 50;

}  // namespace

cMenuBar::~cMenuBar() {
    Detach();
}

void cMenuBar::SetColors(OleColor normal, OleColor over, OleColor inactive, OleColor background) noexcept {
    normalColor_ = normal;
    overColor_ = over;
    inactiveColor_ = inactive;
    popupDraw_.SetColors(normal, over, background);
}

void cMenuBar::Attach(HWND lHwnd) {
    const WindowUpdateLock lock(lHwnd);
    Detach();
    window_ = lHwnd;
    try {
        tracker_ = std::make_shared<cToolbarMenu>();
        tracker_->Start(window_, this);
        MSubclass::AttachMessages(this, window_, kMessages);
    } catch (...) {
        Detach();
        throw;
    }
}

void cMenuBar::Detach() noexcept {
    SetHoverInterval(0);
    if (window_) {
        for (UINT message : kMessages) MSubclass::DetachMessage(this, window_, message);
    }
    if (tracker_) {
        // A popup still open is closed; its call, still on the stack, holds the tracker until it returns.
        if (tracker_->Busy()) EndMenu();
        tracker_->Stop();
    }
    tracker_.reset();
    RestorePopups();
    window_ = nullptr;
    pressedItem_ = hotItem_ = 0;
}

void cMenuBar::Repaint() const noexcept {
    if (window_) SendMessageW(window_, WM_NCPAINT, 1, 0);
}

std::vector<std::wstring> cMenuBar::BarTexts(std::vector<int>* positions) const {
    std::vector<std::wstring> texts;
    const int m = GetMenuItemCount(menu_);
    for (int p = 0; p < m; ++p) {
        // Plain commands on the bar are skipped and take no room: only popups are bar items.
        if (GetMenuItemID(menu_, p) != static_cast<UINT>(-1)) continue;
        texts.push_back(skin::MenuItemText(menu_, static_cast<UINT>(p)));
        if (positions) positions->push_back(p);
    }
    return texts;
}

void cMenuBar::Render(HFONT hFnt, HDC lhdc, int lLeft, int lTop, int lWidth, int lHeight) noexcept {
    if (!menu_) return;
    try {
        surface_.Grow(lWidth, lHeight);
        const HDC s = surface_.hdc();
        if (!s) return;
        const SelectGuard font(s, hFnt);
        itemRects_.clear();
        itemPopups_.clear();

        std::vector<int> positions;
        const std::vector<std::wstring> texts = BarTexts(&positions);
        if (texts.empty()) return;
        const int top = lTop + numbers_.barStripTop;
        // The bar lies on the caption graphic.
        BitBlt(s, 0, 0, lWidth, lHeight, lhdc, lLeft, top, SRCCOPY);
        SetBkMode(s, TRANSPARENT);

        std::vector<std::pair<int, int>> sizes;
        for (const std::wstring& text : texts) {
            RECT r{0, 0, 0, lHeight};
            DrawTextW(s, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT);
            sizes.emplace_back(r.right - r.left, r.bottom - r.top);
        }
        const std::vector<skin::BarItemPlace> places = skin::PlaceBarItems(sizes, numbers_);
        const std::vector<Rect> inWindow =
            skin::BarItemsInWindow(places, {lLeft, lTop, lLeft + lWidth, lTop + lHeight}, numbers_);
        for (std::size_t i = 0; i < inWindow.size(); ++i) {
            const int k = static_cast<int>(i) + 1;
            RECT text = skin::ToRect(places[i].text);
            RECT edge = skin::ToRect(places[i].highlight);
            const skin::BarItemLook look = skin::LookOfBarItem(k, pressedItem_, hotItem_);
            SetTextColor(s, TranslateColor(look == skin::BarItemLook::Plain ? normalColor_ : overColor_).value);
            if (look == skin::BarItemLook::Sunken) {
                DrawEdge(s, &edge, BDR_SUNKENOUTER, BF_RECT);
                OffsetRect(&text, 1, 1);
            } else if (look == skin::BarItemLook::Raised) {
                DrawEdge(s, &edge, BDR_RAISEDINNER, BF_RECT);
            }
            DrawTextW(s, texts[i].c_str(), static_cast<int>(texts[i].size()), &text, DT_SINGLELINE);
            itemRects_.push_back(inWindow[i]);
            itemPopups_.push_back(GetSubMenu(menu_, positions[i]));
        }
        BitBlt(lhdc, lLeft, top, lWidth, lHeight, s, 0, 0, SRCCOPY);
    } catch (...) {
        // Only the item texts can fail (memory); the caption keeps what was drawn so far.
        ReportCaughtException(L"the menu bar's paint");
    }
}

skin::BarOrigin cMenuBar::Origin() const noexcept {
    RECT w{};
    if (window_) GetWindowRect(window_, &w);
    return {w.left, w.top};
}

int cMenuBar::ItemAtPoint(POINT screen) const noexcept {
    return Origin().ItemAt(itemRects_, screen.x, screen.y);
}

int cMenuBar::ItemAtCursor() const noexcept {
    if (itemRects_.empty()) return 0;
    POINT p{};
    GetCursorPos(&p);
    return ItemAtPoint(p);
}

HMENU cMenuBar::ItemSubMenu(int i) const noexcept {
    if (i < 1 || i > ItemCount()) return nullptr;
    return itemPopups_[static_cast<std::size_t>(i) - 1];
}

RECT cMenuBar::ItemScreenRect(int i) const noexcept {
    if (i < 1 || i > ItemCount()) return RECT{};
    return skin::ToRect(Origin().ToScreen(itemRects_[static_cast<std::size_t>(i) - 1]));
}

void cMenuBar::SetPressedItem(int i, bool on) noexcept {
    if (on) {
        pressedItem_ = i;
    } else if (i == pressedItem_) {
        pressedItem_ = kItemUnknown;
    }
    Repaint();
}

void cMenuBar::SetHotItem(int i) noexcept {
    hotItem_ = i;
    Repaint();
}

void cMenuBar::SetHoverInterval(int ms) noexcept {
    if (!hoverTimer_) return;
    try {
        hoverTimer_->Interval(ms);
    } catch (const ComponentError&) {
        // No timer: the item under the pointer stays raised until the next mouse move over the window.
    } catch (...) {
        ReportCaughtException(L"the menu bar's hover timer");
    }
}

void cMenuBar::EvaluateHover() noexcept {
    const int hot = ItemAtCursor();
    if (hot != hotItem_) {
        hotItem_ = hot;
        Repaint();
    }
    if (!hoverTimer_) {
        try {
            hoverTimer_ = CTimer::Create();
            hoverTick_ = hoverTimer_->Connect([this] { EvaluateHover(); });
        } catch (...) {
            // No timer: the item under the pointer stays raised until the next mouse move over the window.
            hoverTimer_.reset();
            ReportCaughtException(L"the menu bar's hover timer");
        }
    }
    // Only a real item counts: after tracking the pressed item is kItemUnknown, and a timer kept for it would tick
    // for ever.
    if (hot > 0 || pressedItem_ > 0) {
        if (pressedItem_ > 0 && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) {
            pressedItem_ = 0;
            Repaint();
        }
        SetHoverInterval(kHoverMs);
    } else {
        SetHoverInterval(0);
    }
}

void cMenuBar::OpenItem(int item) noexcept {
    SetHoverInterval(0);
    const std::shared_ptr<cToolbarMenu> tracker = tracker_;
    if (!tracker) return;
    const std::weak_ptr<int> life = life_;
    tracker->TrackMenu(item);
    // Detached meanwhile (or destroyed): the detach has put the popups back already.
    if (life.expired() || tracker_ != tracker) return;
    RestorePopups();
}

bool cMenuBar::AcceleratorKey(UINT vKey) noexcept {
    // Inside a menu loop of our own the key belongs to the open popup.
    if (!tracker_ || tracker_->Busy() || !menu_) return false;
    int item = 0;
    try {
        item = skin::BarItemForKey(BarTexts(nullptr), vKey);
    } catch (...) {
        ReportCaughtException(L"the menu bar's Alt key");
        return false;
    }
    // An item cut off at the bar's end is not drawn and opens nothing.
    if (item == 0 || item > ItemCount()) return false;
    SetPressedItem(item, true);
    OpenItem(item);
    return true;
}

LRESULT cMenuBar::WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    switch (iMsg) {
        case WM_MOUSEMOVE: {
            const LRESULT result = MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
            EvaluateHover();
            return result;
        }
        case WM_LBUTTONDOWN: return OnLButtonDown(hwnd, wParam, lParam);
        case WM_MEASUREITEM:
            if (popupDraw_.Measure(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_DRAWITEM:
            if (popupDraw_.Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_MENUCHAR:
            if (const std::optional<LRESULT> result = popupDraw_.MenuChar(wParam, lParam)) return *result;
            break;
        default: break;
    }
    return MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
}

LRESULT cMenuBar::OnLButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = MSubclass::CallOldWindowProc(hwnd, WM_LBUTTONDOWN, wParam, lParam);
    const int item = ItemAtCursor();
    if (item != pressedItem_) {
        pressedItem_ = item;
        Repaint();
    }
    if (item > 0) OpenItem(item);
    return result;
}
