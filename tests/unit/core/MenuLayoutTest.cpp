// The skinned menus' rules without a window: popups made owner-drawn and measured, their rows kept while they are
// open (real menus given back whole are MenuBarTest's); the sizes their items ask for; the bar's item places, looks
// and access letters; which keys the Alt-key hook takes; and the menus' numbers at other DPIs.

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "skin/CaptionLayout.h"
#include "skin/MenuLayout.h"
#include "winmsg/DpiScale.h"

namespace {

using namespace skin;

// Menus as plain tables. Text is measured at 7 pixels a character (an "&" takes no room, as when drawn) and 13
// rows tall, both counted inclusively as the platform side counts them.
struct FakeMenus : PopupMenuAccess {
    struct Item {
        SavedMenuItem item;
        bool ownerDrawn = false;
        std::uintptr_t data = 0;
    };
    std::map<std::uintptr_t, std::vector<Item>> menus;
    int conversions = 0;

    void Add(std::uintptr_t popup, unsigned type, unsigned id, std::wstring text) {
        menus[popup].push_back({{type, id, 0x7000 + id, std::move(text)}, false, 0x7000 + id});
    }
    int ItemCount(std::uintptr_t popup) override { return static_cast<int>(menus[popup].size()); }
    std::optional<SavedMenuItem> ReadItem(std::uintptr_t popup, int position) override {
        const Item& i = menus[popup][position];
        SavedMenuItem out = i.item;
        if (i.ownerDrawn) out.type |= kMftOwnerDraw;
        out.data = i.data;
        return out;
    }
    std::optional<std::uintptr_t> OwnerDrawnData(std::uintptr_t popup, int position) override {
        const Item& i = menus[popup][position];
        return i.ownerDrawn ? std::optional<std::uintptr_t>(i.data) : std::nullopt;
    }
    void MakeOwnerDrawn(std::uintptr_t popup, int position, const SavedMenuItem&, int row) override {
        Item& i = menus[popup][position];
        i.ownerDrawn = true;
        i.data = static_cast<std::uintptr_t>(row);
        ++conversions;
    }
    void Restore(const PopupRow& row) override {
        Item& i = menus[row.popup][row.position];
        i.item = row.saved;
        i.ownerDrawn = (row.saved.type & kMftOwnerDraw) != 0;
        i.data = row.saved.data;
    }
    TextSize Measure(std::wstring_view text) override {
        int chars = 0;
        for (wchar_t c : text) chars += c != L'&';
        return {7 * chars + 1, 13 + 1};
    }
};

constexpr std::uintptr_t kFile = 0x100, kView = 0x200;

class Popups : public ::testing::Test {
protected:
    FakeMenus menus;
    PopupTable table;

    void SetUp() override {
        menus.Add(kFile, 0, 11, L"&New\tCtrl+N");     // caption 3, shortcut 6 characters
        menus.Add(kFile, 0, 12, L"Save &as...");      // the widest caption: 10
        menus.Add(kFile, kMftSeparator, 0, L"");
        menus.Add(kFile, 0, 13, L"E&xit\tAlt+F4");
        menus.Add(kView, 0, 21, L"&Bar");
        menus.Add(kView, kMftSeparator, 0, L"");
        menus.Add(kView, kMftRadioCheck, 22, L"&Large");
    }
    ItemSize SizeOf(unsigned id, std::uintptr_t data) const { return table.Measure(*table.RowFor(id, data)); }
};

TEST_F(Popups, EveryItemOfAPopupIsMeasuredWithItsPopupsWidestCaptionAndShortcut) {
    table.Prepare(menus, kFile);
    table.Prepare(menus, kView);
    ASSERT_EQ(table.Count(), 7);
    EXPECT_EQ(menus.conversions, 7);
    for (std::uintptr_t r = 1; r <= 7; ++r)
        EXPECT_EQ(menus.menus[table.Row(r)->popup][table.Row(r)->position].data, r) << "item data is the row";

    const PopupRow& exit = *table.Row(4);
    EXPECT_EQ(exit.caption, L"E&xit");
    EXPECT_EQ(exit.shortcut, L"Alt+F4");
    EXPECT_EQ(exit.accessLetter, L'X');
    EXPECT_EQ(exit.captionWidth, 71);   // "Save as..."
    EXPECT_EQ(exit.shortcutWidth, 43);  // "Ctrl+N"
    EXPECT_EQ(table.TextHeight(), 14);

    // With a shortcut anywhere in the popup every item is caption + shortcut + 38 wide, one without too.
    const struct {
        unsigned id;
        std::uintptr_t data;
        ItemSize size;
    } cases[] = {
        {11, 1, {71 + 43 + 38, 22}},
        {12, 2, {71 + 43 + 38, 22}},
        {0, 3, {71 + 43 + 38, 6}},  // the separator is 6 tall
        {21, 5, {36 + 30, 22}},     // no shortcut in the popup: its widest caption ("Large") + 30
        {0, 6, {36 + 30, 6}},       // a separator of the second popup is as wide as its own popup's items
    };
    for (const auto& c : cases) {
        const ItemSize size = SizeOf(c.id, c.data);
        EXPECT_EQ(size.width, c.size.width) << c.id << " row " << c.data;
        EXPECT_EQ(size.height, c.size.height) << c.id << " row " << c.data;
    }
    // A message whose item data is not a row of ours (another owner's item) finds the row by its identifier.
    EXPECT_EQ(table.RowFor(22, 0x9999), table.Row(7));
    EXPECT_EQ(table.RowFor(99, 1), nullptr);
}

TEST_F(Popups, AReopenedPopupKeepsItsRowsAndARestoredOneIsConvertedAnew) {
    table.Prepare(menus, kFile);
    table.Prepare(menus, kView);
    table.Prepare(menus, kFile);  // opened again in the same menu loop
    EXPECT_EQ(table.Count(), 7);
    EXPECT_EQ(menus.conversions, 7);
    EXPECT_EQ(table.Row(1)->captionWidth, 71);

    table.RestoreAll(menus);
    EXPECT_EQ(table.Count(), 0);
    table.Prepare(menus, kView);
    EXPECT_EQ(menus.conversions, 10);
}

TEST_F(Popups, AccessLettersChooseTheFirstMatchingItemOfThatPopupOnly) {
    table.Prepare(menus, kFile);
    table.Prepare(menus, kView);
    EXPECT_EQ(table.ItemForCharacter(kFile, L'x'), 3);
    EXPECT_EQ(table.ItemForCharacter(kFile, L'A'), 1);
    EXPECT_EQ(table.ItemForCharacter(kView, L'l'), 2);
    EXPECT_EQ(table.ItemForCharacter(kView, L'n'), std::nullopt) << "N belongs to the other popup";
    EXPECT_EQ(table.ItemForCharacter(kFile, L'q'), std::nullopt);
}

TEST(MenuText, CaptionShortcutAndAccessLetter) {
    const struct {
        const wchar_t* text;
        const wchar_t* caption;
        const wchar_t* shortcut;
        wchar_t letter;
    } cases[] = {
        {L"&Open\tCtrl+O", L"&Open", L"Ctrl+O", L'O'},
        {L"Save &as", L"Save &as", L"", L'A'},
        {L"Trailing&", L"Trailing&", L"", 0},  // an "&" at the end marks nothing
        {L"No letter\tF1\tmore", L"No letter", L"F1\tmore", 0},
        {L"\t&Shortcut only", L"", L"&Shortcut only", 0},
        {L"", L"", L"", 0},
    };
    for (const auto& c : cases) {
        const MenuText t = SplitMenuText(c.text);
        EXPECT_EQ(t.caption, c.caption) << c.text;
        EXPECT_EQ(t.shortcut, c.shortcut) << c.text;
        EXPECT_EQ(t.accessLetter, c.letter) << c.text;
    }
}

TEST(Bar, ItemsSitElevenPixelsApartWithTheirHighlightAroundThem) {
    const std::vector<BarItemPlace> places = PlaceBarItems({{20, 13}, {25, 13}, {9, 15}});
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].text, (Rect{8, 2, 28, 15}));
    EXPECT_EQ(places[0].highlight, (Rect{6, 0, 37, 17})) << "2 left of the text, 9 right of it";
    EXPECT_EQ(places[1].text.left, 28 + 11);
    EXPECT_EQ(places[2].text.left, 28 + 11 + 25 + 11);
    EXPECT_EQ(places[2].highlight.bottom, 19);

    // Pressed and under the pointer an item sinks; either one alone raises it.
    using enum BarItemLook;
    const std::tuple<int, int, BarItemLook> looks[] = {{2, 2, Sunken}, {2, 1, Raised}, {1, 2, Raised}, {1, 1, Plain}};
    for (const auto& [pressed, hot, look] : looks) EXPECT_EQ(LookOfBarItem(2, pressed, hot), look) << pressed << hot;
}

TEST(Bar, ArrowsWrapAtBothEnds) {
    const struct {
        int current, count;
        bool left;
        int next;
    } cases[] = {{4, 4, false, 1}, {1, 4, true, 4}, {2, 4, false, 3}, {2, 4, true, 1}, {1, 1, false, 1}, {1, 0, true, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(NeighbourBarItem(c.current, c.count, c.left), c.next) << c.current << (c.left ? " left" : " right");

}

TEST(Bar, ItemsAreHitAndOpenWhereTheFramePlanDrawsThem) {
    const std::vector<BarItemPlace> places = PlaceBarItems({{20, 13}, {25, 13}});
    // An odd caption height halves down where the band is placed; the items must follow the band, not the caption.
    for (int caption : {48, 47}) {
        const SkinMetrics metrics{640, caption, 70, 10, 19, 20, 90, 140, 240, 400};
        const FramePlan plan = PlanFrame(metrics, 0, 0, 500, 300, true, false, {true, false, true});
        // The bar is copied into the strip 2 rows below the band's top, and the strip to the window's corner.
        const Rect& drawn = places[1].highlight;
        const int left = plan.menuBand.left + drawn.left;
        const int top = plan.menuBand.top + 2 + drawn.top;
        const int bottom = plan.menuBand.top + 2 + drawn.bottom;

        const std::vector<Rect> items = BarItemsInWindow(places, plan.menuBand);
        ASSERT_EQ(items.size(), 2u) << caption;
        const BarOrigin origin{333, 271};
        EXPECT_EQ(origin.ToScreen(items[1]).top, 271 + top) << caption << ": the popup opens under the drawn item";
        EXPECT_EQ(origin.ToScreen(items[1]).left, 333 + left) << caption;
        EXPECT_EQ(origin.ItemAt(items, 333 + left, 271 + top), 2) << caption;
        EXPECT_EQ(origin.ItemAt(items, 333 + left, 271 + bottom - 1), 2) << caption;
        EXPECT_EQ(origin.ItemAt(items, 333 + left, 271 + top - 1), 0) << caption << ": the row above is caption";
        EXPECT_EQ(origin.ItemAt(items, 333 + left, 271 + bottom), 0) << caption << ": the row below is not the item";
    }
}

TEST(Bar, ItemsCutOffAtTheBandsEndAreNotBarItems) {
    // Texts start at 8, 39 and 75 in the band.
    const std::vector<BarItemPlace> places = PlaceBarItems({{20, 13}, {25, 13}, {9, 15}});
    const struct {
        int width;
        std::size_t items;
    } cases[] = {{300, 3}, {76, 3}, {75, 2}, {40, 2}, {39, 1}, {8, 0}, {0, 0}};
    for (const auto& c : cases) {
        const Rect band{90, 24, 90 + c.width, 48};
        EXPECT_EQ(BarItemsInWindow(places, band).size(), c.items) << "band " << c.width << " wide";
    }
    const std::vector<Rect> items = BarItemsInWindow(places, {90, 24, 390, 48});
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], (Rect{96, 26, 127, 43}));
}

TEST(Bar, AccessKeysNumberTheBarsItemsInOrder) {
    const std::vector<std::wstring> items{L"&File", L"&Edit", L"E&xtra", L"Help&"};
    EXPECT_EQ(BarItemForKey(items, 'E'), 2);
    EXPECT_EQ(BarItemForKey(items, 'X'), 3);
    EXPECT_EQ(BarItemForKey(items, 'H'), 0) << "an \"&\" at the end marks nothing";
    EXPECT_EQ(BarItemForKey(items, 'Q'), 0);
}

TEST(AltKeyHook, TakesAltLettersOnly) {
    constexpr std::uint32_t kAlt = 1u << 29, kUp = 1u << 31;
    const struct {
        int code;
        unsigned vKey;
        std::uint32_t lParam;
        bool ctrl;
        bool taken;
        const char* what;
    } cases[] = {
        {0, 'E', kAlt, false, true, "Alt+E"},
        {0, '1', kAlt, false, true, "Alt+1"},
        {0, 'E', 0, false, false, "E without Alt"},
        {0, 'E', kAlt | kUp, false, false, "the key going up"},
        {0, 'E', kAlt, true, false, "Ctrl+Alt+E"},
        {3, 'E', kAlt, false, false, "a look without removing"},
        {0, 18, kAlt, false, false, "Alt itself"},
        {0, 0, kAlt, false, false, "no key"},
        {0, 112, kAlt, false, false, "Alt+F1"},
        {0, 123, kAlt, false, false, "Alt+F12"},
        {0, 124, kAlt, false, true, "Alt+F13"},
        {0, 27, kAlt, false, false, "Alt+Esc"},
        {0, 46, kAlt, false, false, "Alt+Delete"},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAltAccelerator(c.code, c.vKey, c.lParam, c.ctrl), c.taken) << c.what;

    EXPECT_TRUE(IsAltRelease(0, 18, kAlt | kUp));
    EXPECT_FALSE(IsAltRelease(0, 18, kAlt));
    EXPECT_FALSE(IsAltRelease(0, 'E', kUp));
    EXPECT_FALSE(IsAltRelease(3, 18, kUp));
}

// Every edge of every rectangle, to compare two layouts.
std::vector<int> Edges(std::initializer_list<Rect> rects) {
    std::vector<int> out;
    for (const Rect& r : rects) out.insert(out.end(), {r.left, r.top, r.right, r.bottom});
    return out;
}

// A popup item's parts, its sizes and the bar's items, for text and items of these sizes at 96 DPI scaled.
std::vector<int> MenuSizes(const MenuNumbers& n, int dpi) {
    const auto s = [dpi](int v) { return ScaleToDpi(v, dpi); };  // these sizes scale to whole pixels
    const PopupItemPlaces item = PlacePopupItem(s(152), s(24), s(72), n);
    std::vector<int> out = Edges({item.separator, item.tick, item.caption, item.shortcut, item.highlight});
    PopupRow row;
    row.captionWidth = s(72);
    row.shortcutWidth = s(44);
    PopupTable table;
    out.push_back(table.Measure(row, n).width);
    row.shortcutWidth = 0;
    out.push_back(table.Measure(row, n).width);
    row.saved.type = kMftSeparator;
    out.push_back(table.Measure(row, n).height);
    const std::vector<BarItemPlace> bar = PlaceBarItems({{s(20), s(12)}, {s(28), s(16)}}, n);
    for (const Rect& r : BarItemsInWindow(bar, {s(90), s(24), s(414), s(48)}, n)) out.push_back(r.top);
    const std::vector<int> places = Edges({bar[0].text, bar[0].highlight, bar[1].text, bar[1].highlight});
    out.insert(out.end(), places.begin(), places.end());
    return out;
}

TEST(MenuNumbers, AtEveryScaleTheMenusPartsAreWithinAPixelOfTheScaledOnes) {
    EXPECT_EQ(ScaleMenu(kBaseDpi), MenuNumbers{}) << "at 96 DPI the menus keep their own numbers";
    const std::vector<int> at96 = MenuSizes(MenuNumbers{}, kBaseDpi);
    for (const int dpi : {120, 144, 192, 288}) {
        const std::vector<int> sizes = MenuSizes(ScaleMenu(dpi), dpi);
        for (std::size_t i = 0; i < sizes.size(); ++i)
            EXPECT_LE(std::abs(sizes[i] - ScaleToDpi(at96[i], dpi)), 1) << "size " << i << " at " << dpi << " DPI";
    }
}

}  // namespace
