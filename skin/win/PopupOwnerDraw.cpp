#include "PopupOwnerDraw.h"

#include "winmsg/win/CaughtException.h"
#include "winmsg/win/ColorTranslate.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/PlatformFont.h"
#include "SkinGdi.h"

namespace {

HMENU AsMenu(std::uintptr_t popup) noexcept {
    return reinterpret_cast<HMENU>(popup);
}

bool IsStringItem(UINT type) noexcept {
    return (type & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) == 0;
}

// The popups' menus as the platform holds them; text is measured in the menu font selected into `dc`, each size
// counted inclusively: one hairline more.
class Win32PopupMenus final : public skin::PopupMenuAccess {
public:
    Win32PopupMenus(HDC dc, int hairline) noexcept : dc_(dc), hairline_(hairline) {}

    int ItemCount(std::uintptr_t popup) override { return GetMenuItemCount(AsMenu(popup)); }

    std::optional<skin::SavedMenuItem> ReadItem(std::uintptr_t popup, int position) override {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
        if (!GetMenuItemInfoW(AsMenu(popup), static_cast<UINT>(position), TRUE, &mii)) return std::nullopt;
        skin::SavedMenuItem item{mii.fType, mii.wID, mii.dwItemData, {}, 0};
        if (IsStringItem(mii.fType)) {
            item.text = skin::MenuItemText(AsMenu(popup), static_cast<UINT>(position));
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
        return {r.right - r.left + hairline_, r.bottom - r.top + hairline_};
    }

private:
    HDC dc_;
    int hairline_;
};

// A font made from a skin font for one paint at the window's DPI; none when the description does not fit a LOGFONT.
UniqueFont MakeFont(const SharedFont& font, int dpi) noexcept {
    if (!font) return UniqueFont();
    return CreatePlatformFont(*font, dpi, FontRules::Skin);
}

// Text of a disabled item is embossed: a light copy one pixel down and right, the shadow colour on top.
void DrawItemText(HDC dc, const std::wstring& text, const Rect& place, UINT format, bool embossed,
                  ColorRef color) noexcept {
    RECT r = skin::ToRect(place);
    if (embossed) {
        RECT light = r;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &light, format);
        color = ColorRef{GetSysColor(COLOR_BTNSHADOW)};
    }
    SetTextColor(dc, color.value);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

}  // namespace

PopupOwnerDraw::PopupOwnerDraw() : menuFont_(skin::NewFont()), glyphFont_(skin::NewFont()) {
    glyphFont_->Name = L"Marlett";
    glyphFont_->Size = 1.2 * skin::DefaultFont().Size;
    glyphFont_->Charset = SYMBOL_CHARSET;
}

void PopupOwnerDraw::SetColors(OleColor normal, OleColor over, OleColor background) noexcept {
    normalColor_ = normal;
    overColor_ = over;
    backgroundColor_ = background;
}

void PopupOwnerDraw::Prepare(HMENU popup) noexcept {
    // The surface may not exist before the first item is drawn: measure on a screen-compatible DC then.
    std::optional<UniqueMemDC> scratch;
    HDC dc = surface_.hdc();
    if (!dc) {
        scratch.emplace(CreateCompatibleDC(nullptr));
        dc = scratch->Get();
    }
    if (!dc) return;
    const UniqueFont font = MakeFont(menuFont_, dpi_);
    const SelectGuard selected(dc, font.Get());
    Win32PopupMenus menus(dc, numbers_.hairline);
    try {
        rows_.Prepare(menus, reinterpret_cast<std::uintptr_t>(popup));
    } catch (...) {
        ReportCaughtException(L"the popup's preparation");
    }
}

void PopupOwnerDraw::RestoreAll() noexcept {
    Win32PopupMenus menus(nullptr, numbers_.hairline);
    try {
        rows_.RestoreAll(menus);
    } catch (...) {
        ReportCaughtException(L"the popups' restore");
    }
}

bool PopupOwnerDraw::Measure(MEASUREITEMSTRUCT* mis) const noexcept {
    const skin::PopupRow* row = mis && mis->CtlType == ODT_MENU ? rows_.RowFor(mis->itemID, mis->itemData) : nullptr;
    if (!row) return false;
    const skin::ItemSize size = rows_.Measure(*row, numbers_);
    mis->itemWidth = static_cast<UINT>(size.width);
    mis->itemHeight = static_cast<UINT>(size.height);
    return true;
}

bool PopupOwnerDraw::Draw(const DRAWITEMSTRUCT* dis) noexcept {
    const skin::PopupRow* row = dis && dis->CtlType == ODT_MENU ? rows_.RowFor(dis->itemID, dis->itemData) : nullptr;
    if (!row) return false;
    try {
        DrawItem(*dis, *row);
    } catch (...) {
        ReportCaughtException(L"the popup item's paint");
    }
    return true;
}

std::optional<LRESULT> PopupOwnerDraw::MenuChar(WPARAM wParam, LPARAM lParam) const noexcept {
    if (HIWORD(wParam) & MF_SYSMENU) return std::nullopt;
    const std::optional<int> position =
        rows_.ItemForCharacter(static_cast<std::uintptr_t>(lParam), static_cast<wchar_t>(LOWORD(wParam)));
    if (!position) return std::nullopt;
    return MAKELRESULT(*position, MNC_EXECUTE);
}

void PopupOwnerDraw::DrawItem(const DRAWITEMSTRUCT& item, const skin::PopupRow& row) {
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    if (width <= 0 || height <= 0) return;
    surface_.Grow(width + 1, height + 1);
    const HDC s = surface_.hdc();
    if (!s) return;
    const UniqueFont font = MakeFont(menuFont_, dpi_);
    const SelectGuard selected(s, font.Get());

    const UniqueBrush background(CreateSolidBrush(TranslateColor(backgroundColor_).value));
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
    const skin::PopupItemPlaces places = skin::PlacePopupItem(width, height, row.captionWidth, numbers_);
    if ((mii.fType | row.saved.type) & MFT_SEPARATOR) {
        RECT line = skin::ToRect(places.separator);
        DrawEdge(s, &line, BDR_SUNKENOUTER, BF_TOP | BF_BOTTOM);
    } else {
        const bool radio = (mii.fType & MFT_RADIOCHECK) != 0;
        // MF_GRAYED alone disables and greys an item too, not only both bits together.
        const bool disabled = (mii.fState & MFS_DISABLED) != 0;
        const bool ticked = (mii.fState & MFS_CHECKED) != 0;
        const bool highlighted = (mii.fState & MFS_HILITE) || (item.itemState & ODS_SELECTED);
        const ColorRef color = TranslateColor(highlighted ? overColor_ : normalColor_);
        if (ticked) {
            RECT box = skin::ToRect(places.tick);
            DrawEdge(s, &box, BDR_SUNKENOUTER, BF_RECT);
            const UniqueFont glyphs = MakeFont(glyphFont_, dpi_);
            const SelectGuard glyphSelected(s, glyphs.Get());
            DrawItemText(s, radio ? L"h" : L"b", places.tick, DT_CENTER | DT_VCENTER | DT_SINGLELINE, disabled, color);
        }
        DrawItemText(s, row.caption, places.caption, DT_VCENTER | DT_SINGLELINE, disabled, color);
        if (!row.shortcut.empty())
            DrawItemText(s, row.shortcut, places.shortcut, DT_VCENTER | DT_SINGLELINE, disabled, color);
        if (highlighted && !disabled) {
            RECT edge = skin::ToRect(places.highlight);
            DrawEdge(s, &edge, BDR_RAISEDINNER, BF_RECT);
        }
    }
    // Exactly the item: a pixel more would reach into the next item or the popup's border.
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, s, 0, 0, SRCCOPY);
}
