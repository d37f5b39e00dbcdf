#pragma once
// The skinned menus without the platform: where the bar's items lie, how a popup's items are split, measured and
// laid out once they are owner-drawn, which keys the Alt-key hook takes, and which bar item an arrow moves to.
// Menu handles are plain numbers here; the platform side reads and writes the real menus through PopupMenuAccess.
// The menus' fixed numbers are given at 96 DPI (MenuNumbers) and scaled for another DPI by ScaleMenu; text sizes
// come from the menu font, which is made at the window's DPI.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CaptionLayout.h"

namespace skin {

// ----------------------------------------------------------------------------------------------- the numbers

// The bar's first item starts 8 pixels into the bar strip; each next one 11 pixels after the previous text.
inline constexpr int kBarFirstX = 8;
inline constexpr int kBarItemGap = 11;
inline constexpr int kPopupCaptionX = 24;

// The fixed numbers of the bar and the popups, as at 96 DPI.
struct MenuNumbers {
    int hairline = 1;  // a ticked item's square is one wider than tall; measured text counts one more
    // The bar.
    int barFirstX = kBarFirstX;
    int barItemGap = kBarItemGap;
    int barStripTop = 2;         // the bar's strip starts this far below the band's top
    int barTextTop = 2;          // the texts' top in the strip
    int barHighlightMargin = 2;  // the highlight around the text
    int barHighlightTail = 7;    // and this much more on the right
    // The popups.
    int itemPadding = 8;  // an item is the text's height and this
    int separatorHeight = 6;
    int plainWidthExtra = 30;     // an item's width past the widest caption, without shortcuts in its popup
    int shortcutWidthExtra = 38;  // and with them, past the widest caption and shortcut
    int captionX = kPopupCaptionX;
    int shortcutGap = 8;  // the shortcut column starts this far after the widest caption
    int separatorInset = 8;
    int separatorLine = 2;
    int tickInset = 4;  // the ticked square, in from every side of the item
    int tickShift = 2;  // and moved this much more to the right
    int highlightInset = 2;
    friend bool operator==(const MenuNumbers&, const MenuNumbers&) = default;
};

// The menus' numbers at a DPI, each scaled from its 96-DPI value.
[[nodiscard]] MenuNumbers ScaleMenu(int dpi) noexcept;

// ---------------------------------------------------------------------------------------------- item texts

// A popup item's text cut at its first TAB, and the access letter of the part before it.
struct MenuText {
    std::wstring caption;   // up to the first TAB (all of it without one)
    std::wstring shortcut;  // after the first TAB, or empty
    wchar_t accessLetter = 0;  // upper-cased character after the caption's first "&"; 0 when there is none
};

[[nodiscard]] MenuText SplitMenuText(std::wstring_view text);

// The upper-cased character after the first "&" of the text, when the "&" is not the last character; else 0.
[[nodiscard]] wchar_t AccessLetter(std::wstring_view text) noexcept;

// ------------------------------------------------------------------------------------------------- the bar

// One bar item as Render draws it: its text at (x, 2), the highlight 2 pixels around the text and 9 to its right.
struct BarItemPlace {
    Rect text;
    Rect highlight;
};

// Places the texts (their measured widths and heights) one after another from the first item's x.
[[nodiscard]] std::vector<BarItemPlace> PlaceBarItems(const std::vector<std::pair<int, int>>& textSizes,
                                                      const MenuNumbers& numbers = {});

enum class BarItemLook { Plain, Raised, Sunken };

// Pressed and under the pointer: sunken (the text one pixel down and right); pressed or under the pointer: raised.
[[nodiscard]] BarItemLook LookOfBarItem(int item, int pressedItem, int hotItem) noexcept;

// The first bar item (1-based, counting the bar's popup items only) whose access letter is the key; 0 for none.
[[nodiscard]] int BarItemForKey(const std::vector<std::wstring>& popupItemTexts, unsigned vKey) noexcept;

// The bar item an arrow key moves to from `current` among `count` items, wrapping at both ends.
[[nodiscard]] int NeighbourBarItem(int current, int count, bool left) noexcept;

// The bar is drawn into a band of the caption strip (which reaches the window at its top-left corner) with its
// items' places 2 rows below the band's top. The items' highlight rectangles in window coordinates, for as many
// items as are drawn: one whose text starts at or past the band's width is cut off and gets none.
[[nodiscard]] std::vector<Rect> BarItemsInWindow(const std::vector<BarItemPlace>& places, const Rect& band,
                                                 const MenuNumbers& numbers = {});

// Item rectangles are kept in window coordinates; a popup opens under the drawn item and the pointer hits the item
// it is over through the same origin, wherever the window is.
struct BarOrigin {
    int windowLeft = 0;
    int windowTop = 0;

    [[nodiscard]] Rect ToScreen(const Rect& item) const noexcept {
        return {item.left + windowLeft, item.top + windowTop, item.right + windowLeft, item.bottom + windowTop};
    }
    // The 1-based number of the first item holding the screen point, or 0.
    [[nodiscard]] int ItemAt(const std::vector<Rect>& items, int screenX, int screenY) const noexcept;
};

// --------------------------------------------------------------------------------------------- the popups

// A popup item as it was before it became owner-drawn, text whole.
struct SavedMenuItem {
    unsigned type = 0;
    unsigned id = 0;
    std::uintptr_t data = 0;
    std::wstring text;
    std::uintptr_t typeData = 0;  // what an item that is not a text (a bitmap) holds in place of one
};

inline constexpr unsigned kMftSeparator = 0x800;
inline constexpr unsigned kMftOwnerDraw = 0x100;
inline constexpr unsigned kMftRadioCheck = 0x200;

struct PopupRow {
    std::uintptr_t popup = 0;
    int position = 0;
    SavedMenuItem saved;
    std::wstring caption;
    std::wstring shortcut;
    wchar_t accessLetter = 0;
    int captionWidth = 0;   // widest caption of the row's popup
    int shortcutWidth = 0;  // widest shortcut of the row's popup; 0 when none has one
};

struct TextSize {
    int width = 0;
    int height = 0;
};

// What preparing and restoring popups needs from the platform's menus.
class PopupMenuAccess {
public:
    [[nodiscard]] virtual int ItemCount(std::uintptr_t popup) = 0;
    // The item at the position with its whole text; nothing when it cannot be read.
    [[nodiscard]] virtual std::optional<SavedMenuItem> ReadItem(std::uintptr_t popup, int position) = 0;
    // The item data of an item already owner-drawn; nothing for an item that is not.
    [[nodiscard]] virtual std::optional<std::uintptr_t> OwnerDrawnData(std::uintptr_t popup, int position) = 0;
    // Makes the item owner-drawn with the row number as its item data.
    virtual void MakeOwnerDrawn(std::uintptr_t popup, int position, const SavedMenuItem& item, int row) = 0;
    // Puts the saved item back as it was.
    virtual void Restore(const PopupRow& row) = 0;
    // Width and height of a single line of text in the menu font, each counted inclusively (one hairline more) as
    // the popup measurements have always been.
    [[nodiscard]] virtual TextSize Measure(std::wstring_view text) = 0;

protected:
    ~PopupMenuAccess() = default;
};

// The size a popup item asks for in WM_MEASUREITEM.
struct ItemSize {
    int width = 0;
    int height = 0;
};

// The rows of the popups made owner-drawn since the last restore. Row numbers are 1-based and are the converted
// items' item data.
class PopupTable {
public:
    // Converts and measures one popup that is about to open; a popup seen before reuses its rows.
    void Prepare(PopupMenuAccess& menus, std::uintptr_t popup);
    // Puts every converted item back and forgets all rows.
    void RestoreAll(PopupMenuAccess& menus);

    [[nodiscard]] int Count() const noexcept { return static_cast<int>(rows_.size()); }
    [[nodiscard]] const PopupRow* Row(std::uintptr_t number) const noexcept;
    // The row of an owner-draw message: the one its item data names when that row has the identifier, else the
    // first row with the identifier (items of other owners share the numbers).
    [[nodiscard]] const PopupRow* RowFor(unsigned itemId, std::uintptr_t itemData) const noexcept;
    [[nodiscard]] int TextHeight() const noexcept { return textHeight_; }
    [[nodiscard]] ItemSize Measure(const PopupRow& row, const MenuNumbers& numbers = {}) const noexcept;
    // The position of the popup's first item whose access letter is the character (any case); nothing for none.
    [[nodiscard]] std::optional<int> ItemForCharacter(std::uintptr_t popup, wchar_t character) const noexcept;

private:
    [[nodiscard]] int RowAt(std::uintptr_t popup, int position) const noexcept;

    std::vector<PopupRow> rows_;
    std::vector<std::uintptr_t> prepared_;
    int textHeight_ = 0;
};

// Where the parts of an owner-drawn popup item go, in the item's own coordinates (its rectangle moved to 0, 0).
struct PopupItemPlaces {
    Rect separator;  // the 2-pixel line, 8 pixels in from both sides, in the middle
    Rect tick;       // the square of a ticked item: 4 in, 2 more from the left, one wider than tall
    Rect caption;    // from x = 24
    Rect shortcut;   // from x = 24 + the popup's caption width + 8
    Rect highlight;  // 2 in from the left and right
};

[[nodiscard]] PopupItemPlaces PlacePopupItem(int width, int height, int captionWidth,
                                             const MenuNumbers& numbers = {}) noexcept;

// ----------------------------------------------------------------------------------------------- the hooks

// True for a key the keyboard hook offers the active skinned window as Alt+key: a key going down (not Alt itself)
// while Alt is held, and not with Ctrl, not F1 to F12, Esc or Delete.
[[nodiscard]] bool IsAltAccelerator(int code, unsigned vKey, std::uint32_t lParam, bool ctrlDown) noexcept;
// True for the release of Alt itself.
[[nodiscard]] bool IsAltRelease(int code, unsigned vKey, std::uint32_t lParam) noexcept;

}  // namespace skin
