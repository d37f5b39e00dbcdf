#include "cMenuBar.h"

#include <optional>

#include "CaughtException.h"
#include "ComponentError.h"
#include "Handles.h"
#include "MSubclass.h"
#include "SkinGdi.h"
#include "cToolbarMenu.h"

namespace {

// The messages the menu bar answers, in the order it subscribes to them.
constexpr UINT kMessages[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_DRAWITEM, WM_MEASUREITEM, WM_MENUCHAR};

constexpr int kHoverMs = 50;

HMENU AsMenu(std::uintptr_t popup) noexcept {
    return reinterpret_cast<HMENU>(popup);
}

bool IsStringItem(UINT type) noexcept {
    return (type & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) == 0;
}

// An item's text whole: its length is asked first, so no text is cut whatever its length.
std::wstring ItemText(HMENU menu, UINT position) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, position, TRUE, &mii) || mii.cch == 0) return {};
    std::wstring text(mii.cch + 1, L'\0');
    mii.dwTypeData = text.data();
    mii.cch = static_cast<UINT>(text.size());
    if (!GetMenuItemInfoW(menu, position, TRUE, &mii)) return {};
    text.resize(mii.cch);
    return text;
}

// The popups' menus as the platform holds them; text is measured in the menu font selected into `dc`.
class Win32PopupMenus final : public skin::PopupMenuAccess {
public:
    explicit Win32PopupMenus(HDC dc) noexcept : dc_(dc) {}

    int ItemCount(std::uintptr_t popup) override { return GetMenuItemCount(AsMenu(popup)); }

    std::optional<skin::SavedMenuItem> ReadItem(std::uintptr_t popup, int position) override {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
        if (!GetMenuItemInfoW(AsMenu(popup), static_cast<UINT>(position), TRUE, &mii)) return std::nullopt;
        skin::SavedMenuItem item{mii.fType, mii.wID, mii.dwItemData, {}, 0};
        if (IsStringItem(mii.fType)) {
            item.text = ItemText(AsMenu(popup), static_cast<UINT>(position));
        } else {
            item.typeData = reinterpret_cast<std::uintptr_t>(mii.dwTypeData);
        }
        return item;
    }

    std::optional<std::uintptr_t> OwnerDrawnData(std::uintptr_t popup, int position) override {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_DATA;
        if (!GetMenuItemInfoW(AsMenu(popup), static_cast<UINT>(position), TRUE, &mii)) return std::nullopt;
        if (!(mii.fType & MFT_OWNERDRAW)) return std::nullopt;
        return mii.dwItemData;
    }

    void MakeOwnerDrawn(std::uintptr_t popup, int position, const skin::SavedMenuItem& item, int row) override {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_TYPE | MIIM_DATA;
        mii.fType = item.type | MFT_OWNERDRAW;
        mii.dwItemData = static_cast<ULONG_PTR>(row);
        SetMenuItemInfoW(AsMenu(popup), static_cast<UINT>(position), TRUE, &mii);
    }

    void Restore(const skin::PopupRow& row) override {
        std::wstring text = row.saved.text;
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
        mii.fType = row.saved.type;
        mii.wID = row.saved.id;
        mii.dwItemData = row.saved.data;
        if (IsStringItem(row.saved.type)) {
            mii.dwTypeData = text.data();
            mii.cch = static_cast<UINT>(text.size());
        } else {
            mii.dwTypeData = reinterpret_cast<LPWSTR>(row.saved.typeData);
        }
        SetMenuItemInfoW(AsMenu(row.popup), static_cast<UINT>(row.position), TRUE, &mii);
    }

    skin::TextSize Measure(std::wstring_view text) override {
        RECT r{};
        DrawTextW(dc_, text.data(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
        return {r.right - r.left + 1, r.bottom - r.top + 1};
    }

private:
    HDC dc_;
};

// A font made from a skin font for one paint; none when the description does not fit a LOGFONT.
UniqueFont MakeFont(const SharedSkinFont& font, HDC dc) noexcept {
    LOGFONTW logFont;
    if (!font || !skin::FontToLogFont(*font, dc, logFont)) return UniqueFont();
    return UniqueFont(CreateFontIndirectW(&logFont));
}

RECT ToRect(const skin::Box& b) noexcept {
    return {b.left, b.top, b.right, b.bottom};
}

// Text of a disabled item is embossed: a light copy one pixel down and right, the shadow colour on top.
void DrawItemText(HDC dc, const std::wstring& text, const skin::Box& place, UINT format, bool embossed,
                  COLORREF colour) noexcept {
    RECT r = ToRect(place);
    if (embossed) {
        RECT light = r;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &light, format);
        colour = GetSysColor(COLOR_BTNSHADOW);
    }
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

}  // namespace

cMenuBar::cMenuBar() : menuFont_(std::make_shared<SkinFont>()), glyphFont_(std::make_shared<SkinFont>()) {
    glyphFont_->Name = L"Marlett";
    glyphFont_->Size = 1.2 * SkinFont().Size;
    glyphFont_->Charset = SYMBOL_CHARSET;
}

cMenuBar::~cMenuBar() {
    Detach();
}

void cMenuBar::SetColors(OleColor normal, OleColor over, OleColor inactive, OleColor background) noexcept {
    normalColor_ = normal;
    overColor_ = over;
    inactiveColor_ = inactive;
    backgroundColor_ = background;
}

void cMenuBar::Attach(HWND lHwnd) {
    const WindowUpdateLock lock(lHwnd);
    Detach();
    window_ = lHwnd;
    try {
        tracker_ = std::make_shared<cToolbarMenu>();
        tracker_->Start(window_, this);
        for (UINT message : kMessages) MSubclass::AttachMessage(this, window_, message);
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
        texts.push_back(ItemText(menu_, static_cast<UINT>(p)));
        if (positions) positions->push_back(p);
    }
    return texts;
}

void cMenuBar::Render(HFONT hFnt, HDC lhdc, int lLeft, int lTop, int lWidth, int lHeight) noexcept {
    if (!menu_) return;
    try {
        surface_.Width(lWidth);
        surface_.Height(lHeight);
        const HDC s = surface_.hdc();
        if (!s) return;
        const SelectGuard font(s, hFnt);
        itemRects_.clear();
        itemPopups_.clear();

        std::vector<int> positions;
        const std::vector<std::wstring> texts = BarTexts(&positions);
        if (texts.empty()) return;
        const int top = lTop + 2;
        // The bar lies on the caption graphic.
        BitBlt(s, 0, 0, lWidth, lHeight, lhdc, lLeft, top, SRCCOPY);
        SetBkMode(s, TRANSPARENT);

        std::vector<std::pair<int, int>> sizes;
        for (const std::wstring& text : texts) {
            RECT r{0, 0, 0, lHeight};
            DrawTextW(s, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT);
            sizes.emplace_back(r.right - r.left, r.bottom - r.top);
        }
        const std::vector<skin::BarItemPlace> places = skin::PlaceBarItems(sizes);
        const std::vector<skin::Box> inWindow =
            skin::BarItemsInWindow(places, {lLeft, lTop, lLeft + lWidth, lTop + lHeight});
        for (std::size_t i = 0; i < inWindow.size(); ++i) {
            const int k = static_cast<int>(i) + 1;
            RECT text = ToRect(places[i].text);
            RECT edge = ToRect(places[i].highlight);
            const skin::BarItemLook look = skin::LookOfBarItem(k, pressedItem_, hotItem_);
            SetTextColor(s, skin::TranslateColor(look == skin::BarItemLook::Plain ? normalColor_ : overColor_));
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
    return ToRect(Origin().ToScreen(itemRects_[static_cast<std::size_t>(i) - 1]));
}

void cMenuBar::SetPressedItem(int i, bool on) noexcept {
    if (on) {
        pressedItem_ = i;
    } else if (i == pressedItem_) {
        pressedItem_ = -1;
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
    // Only a real item counts: after tracking the pressed item is -1, and a timer kept for it would tick for
    // ever.
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

void cMenuBar::PreparePopup(HMENU popup) noexcept {
    // The surface may not exist before the first paint: measure on a screen-compatible DC then.
    std::optional<UniqueMemDC> scratch;
    HDC dc = surface_.hdc();
    if (!dc) {
        scratch.emplace(CreateCompatibleDC(nullptr));
        dc = scratch->Get();
    }
    if (!dc) return;
    const UniqueFont font = MakeFont(menuFont_, dc);
    const SelectGuard selected(dc, font.Get());
    Win32PopupMenus menus(dc);
    try {
        popups_.Prepare(menus, reinterpret_cast<std::uintptr_t>(popup));
    } catch (...) {
        ReportCaughtException(L"the popup's preparation");
    }
}

void cMenuBar::RestorePopups() noexcept {
    Win32PopupMenus menus(nullptr);
    try {
        popups_.RestoreAll(menus);
    } catch (...) {
        ReportCaughtException(L"the popups' restore");
    }
}

LRESULT cMenuBar::WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    switch (iMsg) {
        case WM_MOUSEMOVE: {
            const LRESULT result = MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
            EvaluateHover();
            return result;
        }
        case WM_LBUTTONDOWN: return OnLButtonDown(hwnd, wParam, lParam);
        case WM_MEASUREITEM: return OnMeasureItem(hwnd, wParam, lParam);
        case WM_DRAWITEM: return OnDrawItem(hwnd, wParam, lParam);
        case WM_MENUCHAR: return OnMenuChar(hwnd, wParam, lParam);
        default: return MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
    }
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

LRESULT cMenuBar::OnMeasureItem(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    const skin::PopupRow* row = mis && mis->CtlType == ODT_MENU ? popups_.RowFor(mis->itemID, mis->itemData) : nullptr;
    if (!row) return MSubclass::CallOldWindowProc(hwnd, WM_MEASUREITEM, wParam, lParam);
    const skin::ItemSize size = popups_.Measure(*row);
    mis->itemWidth = static_cast<UINT>(size.width);
    mis->itemHeight = static_cast<UINT>(size.height);
    return TRUE;
}

LRESULT cMenuBar::OnDrawItem(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    const skin::PopupRow* row = dis && dis->CtlType == ODT_MENU ? popups_.RowFor(dis->itemID, dis->itemData) : nullptr;
    if (!row) return MSubclass::CallOldWindowProc(hwnd, WM_DRAWITEM, wParam, lParam);
    try {
        DrawPopupItem(*dis, *row);
    } catch (...) {
        ReportCaughtException(L"the popup item's paint");
    }
    return TRUE;
}

void cMenuBar::DrawPopupItem(const DRAWITEMSTRUCT& item, const skin::PopupRow& row) {
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    if (width <= 0 || height <= 0) return;
    surface_.Width(width + 1);
    surface_.Height(height + 1);
    const HDC s = surface_.hdc();
    if (!s) return;
    const UniqueFont font = MakeFont(menuFont_, s);
    const SelectGuard selected(s, font.Get());

    const UniqueBrush background(CreateSolidBrush(skin::TranslateColor(backgroundColor_)));
    const RECT all{0, 0, width + 1, height + 1};
    FillRect(s, &all, background.Get());
    SetBkMode(s, TRANSPARENT);

    // By position in the row's own popup: items of a popup may share an identifier (separators all have 0).
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STATE | MIIM_FTYPE;
    if (!GetMenuItemInfoW(AsMenu(row.popup), static_cast<UINT>(row.position), TRUE, &mii)) {
        mii.fType = row.saved.type;
        mii.fState = 0;
    }
    const skin::PopupItemPlaces places = skin::PlacePopupItem(width, height, row.captionWidth);
    if ((mii.fType | row.saved.type) & MFT_SEPARATOR) {
        RECT line = ToRect(places.separator);
        DrawEdge(s, &line, BDR_SUNKENOUTER, BF_TOP | BF_BOTTOM);
    } else {
        const bool radio = (mii.fType & MFT_RADIOCHECK) != 0;
        // MF_GRAYED alone disables and greys an item too, not only both bits together.
        const bool disabled = (mii.fState & MFS_DISABLED) != 0;
        const bool ticked = (mii.fState & MFS_CHECKED) != 0;
        const bool highlighted = (mii.fState & MFS_HILITE) || (item.itemState & ODS_SELECTED);
        const COLORREF colour = skin::TranslateColor(highlighted ? overColor_ : normalColor_);
        if (ticked) {
            RECT box = ToRect(places.tick);
            DrawEdge(s, &box, BDR_SUNKENOUTER, BF_RECT);
            const UniqueFont glyphs = MakeFont(glyphFont_, s);
            const SelectGuard glyphSelected(s, glyphs.Get());
            DrawItemText(s, radio ? L"h" : L"b", places.tick, DT_CENTER | DT_VCENTER | DT_SINGLELINE, disabled,
                         colour);
        }
        DrawItemText(s, row.caption, places.caption, DT_VCENTER | DT_SINGLELINE, disabled, colour);
        if (!row.shortcut.empty())
            DrawItemText(s, row.shortcut, places.shortcut, DT_VCENTER | DT_SINGLELINE, disabled, colour);
        if (highlighted && !disabled) {
            RECT edge = ToRect(places.highlight);
            DrawEdge(s, &edge, BDR_RAISEDINNER, BF_RECT);
        }
    }
    // Exactly the item: a pixel more would reach into the next item or the popup's border.
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, s, 0, 0, SRCCOPY);
}

LRESULT cMenuBar::OnMenuChar(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    std::optional<int> position;
    if (!(HIWORD(wParam) & MF_SYSMENU)) {
        position = popups_.ItemForCharacter(static_cast<std::uintptr_t>(lParam), static_cast<wchar_t>(LOWORD(wParam)));
    }
    if (!position) return MSubclass::CallOldWindowProc(hwnd, WM_MENUCHAR, wParam, lParam);
    return MAKELRESULT(*position, MNC_EXECUTE);
}
