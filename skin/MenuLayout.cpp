#include "MenuLayout.h"

#include <algorithm>
#include <cwctype>

#include "winmsg/DpiScale.h"

namespace skin {

namespace {

wchar_t Upper(wchar_t c) noexcept {
    return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
}

constexpr std::uint32_t kAltDown = 1u << 29;
constexpr std::uint32_t kKeyUp = 1u << 31;
constexpr unsigned kVkEscape = 27;
constexpr unsigned kVkDelete = 46;
constexpr unsigned kVkMenu = 18;
constexpr unsigned kVkF1 = 112;
constexpr unsigned kVkF12 = 123;

}  // namespace

MenuNumbers ScaleMenu(int dpi) noexcept {
    // Every number scales on its own: the bar's places add up text widths of the scaled font, and each popup item's
    // parts are measured from its own edges.
    static constexpr int MenuNumbers::*kNumbers[] = {
        &MenuNumbers::hairline,         &MenuNumbers::barFirstX,          &MenuNumbers::barItemGap,
        &MenuNumbers::barStripTop,      &MenuNumbers::barTextTop,         &MenuNumbers::barHighlightMargin,
        &MenuNumbers::barHighlightTail, &MenuNumbers::itemPadding,        &MenuNumbers::separatorHeight,
        &MenuNumbers::plainWidthExtra,  &MenuNumbers::shortcutWidthExtra, &MenuNumbers::captionX,
        &MenuNumbers::shortcutGap,      &MenuNumbers::separatorInset,     &MenuNumbers::separatorLine,
        &MenuNumbers::tickInset,        &MenuNumbers::tickShift,          &MenuNumbers::highlightInset,
    };
    const MenuNumbers at96;
    MenuNumbers out;
    for (int MenuNumbers::*field : kNumbers) out.*field = ScaleToDpi(at96.*field, dpi);
    return out;
}

wchar_t AccessLetter(std::wstring_view text) noexcept {
    const std::size_t amp = text.find(L'&');
    if (amp == std::wstring_view::npos || amp + 1 >= text.size()) return 0;
    return Upper(text[amp + 1]);
}

MenuText SplitMenuText(std::wstring_view text) {
    MenuText out;
    const std::size_t tab = text.find(L'\t');
    out.caption = std::wstring(text.substr(0, tab));
    if (tab != std::wstring_view::npos) out.shortcut = std::wstring(text.substr(tab + 1));
    out.accessLetter = AccessLetter(out.caption);
    return out;
}

std::vector<BarItemPlace> PlaceBarItems(const std::vector<std::pair<int, int>>& textSizes, const MenuNumbers& n) {
    std::vector<BarItemPlace> out;
    out.reserve(textSizes.size());
    int x = n.barFirstX;
    const int margin = n.barHighlightMargin;
    for (const auto& [width, height] : textSizes) {
        const Rect text{x, n.barTextTop, x + width, n.barTextTop + height};
        out.push_back(
            {text,
             {text.left - margin, text.top - margin, text.right + margin + n.barHighlightTail, text.bottom + margin}});
        x += width + n.barItemGap;
    }
    return out;
}

std::vector<Rect> BarItemsInWindow(const std::vector<BarItemPlace>& places, const Rect& band, const MenuNumbers& n) {
    std::vector<Rect> out;
    const int top = band.top + n.barStripTop;
    for (const BarItemPlace& place : places) {
        // Places only grow to the right: the rest are cut off too.
        if (place.text.left >= band.Width()) break;
        const Rect& e = place.highlight;
        out.push_back({e.left + band.left, e.top + top, e.right + band.left, e.bottom + top});
    }
    return out;
}

BarItemLook LookOfBarItem(int item, int pressedItem, int hotItem) noexcept {
    const bool pressed = item == pressedItem;
    const bool hot = item == hotItem;
    if (pressed && hot) return BarItemLook::Sunken;
    if (pressed || hot) return BarItemLook::Raised;
    return BarItemLook::Plain;
}

int BarItemForKey(const std::vector<std::wstring>& popupItemTexts, unsigned vKey) noexcept {
    for (std::size_t i = 0; i < popupItemTexts.size(); ++i) {
        const wchar_t letter = AccessLetter(popupItemTexts[i]);
        if (letter != 0 && static_cast<unsigned>(letter) == vKey) return static_cast<int>(i) + 1;
    }
    return 0;
}

int NeighbourBarItem(int current, int count, bool left) noexcept {
    if (count <= 0) return 0;
    if (left) return current <= 1 ? count : current - 1;
    return current >= count ? 1 : current + 1;
}

int BarOrigin::ItemAt(const std::vector<Rect>& items, int screenX, int screenY) const noexcept {
    const int x = screenX - windowLeft;
    const int y = screenY - windowTop;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].Contains(x, y)) return static_cast<int>(i) + 1;
    }
    return 0;
}

int PopupTable::RowAt(std::uintptr_t popup, int position) const noexcept {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].popup == popup && rows_[i].position == position) return static_cast<int>(i) + 1;
    }
    return 0;
}

void PopupTable::Prepare(PopupMenuAccess& menus, std::uintptr_t popup) {
    const bool known = std::find(prepared_.begin(), prepared_.end(), popup) != prepared_.end();
    if (!known) prepared_.push_back(popup);

    auto record = [&](int position, SavedMenuItem item) {
        MenuText text = SplitMenuText(item.text);
        PopupRow row{popup, position, std::move(item), std::move(text.caption), std::move(text.shortcut),
                     text.accessLetter, 0, 0};
        const int r = RowAt(popup, position);
        if (r != 0) {
            rows_[r - 1] = std::move(row);
            return r;
        }
        rows_.push_back(std::move(row));
        return Count();
    };

    int widestCaption = 0;
    int widestShortcut = 0;
    const int n = menus.ItemCount(popup);
    for (int p = 0; p < n; ++p) {
        int r = 0;
        const std::optional<std::uintptr_t> drawn = known ? menus.OwnerDrawnData(popup, p) : std::nullopt;
        if (drawn) {
            // Opened again in the same menu loop: the item is still ours.
            r = static_cast<int>(*drawn);
        } else {
            std::optional<SavedMenuItem> item = menus.ReadItem(popup, p);
            if (!item) continue;
            const bool ownerDrawn = (item->type & kMftOwnerDraw) != 0;
            r = record(p, *item);
            // An item the application draws itself is measured with the others but left as it is.
            if (!ownerDrawn) menus.MakeOwnerDrawn(popup, p, *item, r);
        }
        if (r < 1 || r > Count()) continue;
        const PopupRow& row = rows_[r - 1];
        TextSize size = menus.Measure(row.caption);
        widestCaption = std::max(widestCaption, size.width);
        if (!row.shortcut.empty()) {
            size = menus.Measure(row.shortcut);
            widestShortcut = std::max(widestShortcut, size.width);
        }
        textHeight_ = size.height;
    }
    for (PopupRow& row : rows_) {
        if (row.popup != popup) continue;
        row.captionWidth = widestCaption;
        row.shortcutWidth = widestShortcut;
    }
}

void PopupTable::RestoreAll(PopupMenuAccess& menus) {
    for (const PopupRow& row : rows_) menus.Restore(row);
    rows_.clear();
    prepared_.clear();
}

const PopupRow* PopupTable::Row(std::uintptr_t number) const noexcept {
    if (number < 1 || number > rows_.size()) return nullptr;
    return &rows_[number - 1];
}

const PopupRow* PopupTable::RowFor(unsigned itemId, std::uintptr_t itemData) const noexcept {
    if (const PopupRow* row = Row(itemData); row && row->saved.id == itemId) return row;
    for (const PopupRow& row : rows_) {
        if (row.saved.id == itemId) return &row;
    }
    return nullptr;
}

ItemSize PopupTable::Measure(const PopupRow& row, const MenuNumbers& n) const noexcept {
    ItemSize size;
    size.width = row.shortcutWidth > 0 ? row.captionWidth + row.shortcutWidth + n.shortcutWidthExtra
                                       : row.captionWidth + n.plainWidthExtra;
    size.height = (row.saved.type & kMftSeparator) ? n.separatorHeight : textHeight_ + n.itemPadding;
    return size;
}

std::optional<int> PopupTable::ItemForCharacter(std::uintptr_t popup, wchar_t character) const noexcept {
    const wchar_t wanted = Upper(character);
    for (const PopupRow& row : rows_) {
        if (row.popup == popup && row.accessLetter != 0 && row.accessLetter == wanted) return row.position;
    }
    return std::nullopt;
}

PopupItemPlaces PlacePopupItem(int width, int height, int captionWidth, const MenuNumbers& n) noexcept {
    PopupItemPlaces p;
    const int lineTop = (height - n.separatorLine) / 2;
    p.separator = {n.separatorInset, lineTop, width - n.separatorInset, lineTop + n.separatorLine};
    const int tickTop = n.tickInset;
    const int tickBottom = height - n.tickInset;
    const int tickLeft = n.tickInset + n.tickShift;
    p.tick = {tickLeft, tickTop, tickLeft + (tickBottom - tickTop) + n.hairline, tickBottom};
    p.caption = {n.captionX, 0, width, height};
    p.shortcut = {n.captionX + captionWidth + n.shortcutGap, 0, width, height};
    p.highlight = {n.highlightInset, 0, width - n.highlightInset, height};
    return p;
}

bool IsAltAccelerator(int code, unsigned vKey, std::uint32_t lParam, bool ctrlDown) noexcept {
    if (code != 0 || !(lParam & kAltDown) || (lParam & kKeyUp) || vKey == 0 || vKey == kVkMenu) return false;
    if (ctrlDown) return false;
    if (vKey >= kVkF1 && vKey <= kVkF12) return false;
    return vKey != kVkEscape && vKey != kVkDelete;
}

bool IsAltRelease(int code, unsigned vKey, std::uint32_t lParam) noexcept {
    return code == 0 && vKey == kVkMenu && (lParam & kKeyUp) != 0;
}

}  // namespace skin
