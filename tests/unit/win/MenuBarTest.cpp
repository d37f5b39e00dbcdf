// The menu bar on a real window and real menus: popups made owner-drawn and given back whole (long texts too), the
// owner-draw messages answered for our items only, Alt+letter opening the right bar item when a plain command
// stands before the popups (and not with Ctrl held when the letter went down, however late it is read), the
// hooks existing exactly while they are needed, and the bar's places and the popups' sizes at the window's DPI.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "FakeCaptionPainter.h"
#include "winmsg/win/BaseWindow.h"
#include "winmsg/win/Handles.h"
#include "skin/win/cMenuBar.h"
#include "skin/win/cNCCalcSize.h"
#include "skin/win/mDeclares.h"
#include "winmsg/DpiScale.h"
#include "Waiting.h"

namespace {

// A window that records the popups that open and the measure requests that reach it; a timer ends any popup.
struct MenuProbe : BaseWindow {
    std::vector<HMENU> opened;
    std::vector<UINT> measuredTypes;
    bool filterDuringPopup = false;
    // When set, popups are prepared by this bar as the caption painter would, and the first tick detaches it
    // instead of closing the popup; a later tick closes a popup the detach left open.
    cMenuBar* detachOnTick = nullptr;
    int ticks = 0;

    MenuProbe() {
        WindowArgs args;
        args.windowClass.name = L"VerdalyMenuProbe";
        args.style = WS_OVERLAPPEDWINDOW;
        args.rect = {60, 60, 460, 300};
        Create(args);
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override {
        switch (msg) {
            case WM_INITMENUPOPUP:
                opened.push_back(reinterpret_cast<HMENU>(wParam));
                if (detachOnTick) detachOnTick->PreparePopup(reinterpret_cast<HMENU>(wParam));
                SetTimer(Hwnd(), 1, 100, nullptr);
                return 0;
            case WM_TIMER:
                if (++ticks == 1 && detachOnTick) {
                    detachOnTick->Detach();
                    return 0;
                }
                KillTimer(Hwnd(), 1);
                filterDuringPopup = mDeclares::MessageFilterInstalled();
                EndMenu();
                return 0;
            case WM_MEASUREITEM:
                measuredTypes.push_back(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType);
                return TRUE;
            default: return BaseWindow::HandleMessage(msg, wParam, lParam);
        }
    }
};

struct ItemState {
    UINT type = 0, id = 0;
    ULONG_PTR data = 0;
    std::wstring text;
    bool operator==(const ItemState&) const = default;
    friend void PrintTo(const ItemState& s, std::ostream* os) {
        *os << "type " << s.type << " id " << s.id << " data " << s.data << " text of " << s.text.size();
    }
};

std::vector<ItemState> ReadBack(HMENU menu) {
    std::vector<ItemState> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STRING;
        GetMenuItemInfoW(menu, i, TRUE, &mii);
        std::wstring text(mii.cch + 1, L'\0');
        mii.dwTypeData = text.data();
        mii.cch = static_cast<UINT>(text.size());
        GetMenuItemInfoW(menu, i, TRUE, &mii);
        text.resize(mii.cch);
        out.push_back({mii.fType, mii.wID, mii.dwItemData, text});
    }
    return out;
}

void SetData(HMENU menu, int position, ULONG_PTR data) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    mii.dwItemData = data;
    SetMenuItemInfoW(menu, position, TRUE, &mii);
}

MEASUREITEMSTRUCT Measure(HWND hwnd, UINT type, UINT id, ULONG_PTR data) {
    MEASUREITEMSTRUCT mis{type, 0, id, 0, 0, data};
    SendMessageW(hwnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    return mis;
}

TEST(MenuBar, PopupsAreOwnerDrawnWhileOpenAndComeBackWhole) {
    MenuProbe window;
    cMenuBar bar;
    bar.Attach(window.Hwnd());
    const UniqueMenu popup(CreatePopupMenu());
    const std::wstring longText = std::wstring(200, L'x') + L"&Long\tCtrl+L";
    AppendMenuW(popup.Get(), MF_STRING, 41, longText.c_str());
    AppendMenuW(popup.Get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup.Get(), MF_STRING, 42, L"&Radio");
    UniqueMenu sub(CreatePopupMenu());
    AppendMenuW(popup.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub.Get()), L"&More");
    sub.Release();  // the popup destroys it
    MENUITEMINFOW radio{};
    radio.cbSize = sizeof radio;
    radio.fMask = MIIM_FTYPE;
    radio.fType = MFT_RADIOCHECK;
    SetMenuItemInfoW(popup.Get(), 2, TRUE, &radio);
    for (int i = 0; i < 4; ++i) SetData(popup.Get(), i, 0x5000 + i);
    const std::vector<ItemState> before = ReadBack(popup.Get());
    ASSERT_EQ(before[0].text, longText);

    bar.PreparePopup(popup.Get());
    const std::vector<ItemState> drawn = ReadBack(popup.Get());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(drawn[i].type & MFT_OWNERDRAW) << i;
        EXPECT_EQ(drawn[i].data, static_cast<ULONG_PTR>(i + 1)) << "item data is the row";
    }
    // Both text items of a popup with a shortcut ask for the same width (the separator's height is the DPI test's).
    const MEASUREITEMSTRUCT longItem = Measure(window.Hwnd(), ODT_MENU, 41, 1);
    const MEASUREITEMSTRUCT radioItem = Measure(window.Hwnd(), ODT_MENU, 42, 3);
    EXPECT_GT(longItem.itemWidth, 200u * 3 + 38);
    EXPECT_EQ(radioItem.itemWidth, longItem.itemWidth);
    EXPECT_GT(radioItem.itemHeight, 6u);
    // Another control's request, and a menu item that is not ours, reach the window untouched.
    EXPECT_EQ(Measure(window.Hwnd(), ODT_BUTTON, 41, 1).itemWidth, 0u);
    EXPECT_EQ(Measure(window.Hwnd(), ODT_MENU, 999, 77).itemWidth, 0u);
    EXPECT_EQ(window.measuredTypes, (std::vector<UINT>{ODT_BUTTON, ODT_MENU}));

    bar.PreparePopup(popup.Get());  // opened again in the same loop
    bar.RestorePopups();
    EXPECT_EQ(ReadBack(popup.Get()), before);
    bar.Detach();
}

// Draws the bar once into a throwaway surface: drawing is what places its items.
void RenderOffScreen(cMenuBar& bar) {
    const WindowDC screen(nullptr);
    const UniqueMemDC dc(CreateCompatibleDC(screen.Get()));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), 300, 24));
    const SelectGuard selected(dc.Get(), bitmap.Get());
    bar.Render(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), dc.Get(), 0, 0, 300, 24);
}

TEST(MenuBar, AltLetterOpensTheBarItemDrawnForItAndTheHooksComeAndGo) {
    MenuProbe window;
    cMenuBar bar;
    bar.Attach(window.Hwnd());
    // A plain command first: it is not drawn on the bar, so Edit is the second bar item, not the third.
    const HMENU menu = CreateMenu();
    const HMENU file = CreatePopupMenu();
    const HMENU edit = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 61, L"&Open");
    AppendMenuW(edit, MF_STRING, 71, L"&Copy");
    AppendMenuW(menu, MF_STRING, 51, L"&Go");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    SetMenu(window.Hwnd(), menu);  // the window destroys it
    bar.hMenu(menu);
    RenderOffScreen(bar);
    ASSERT_EQ(bar.ItemCount(), 2);
    ShowWindow(window.Hwnd(), SW_SHOW);
    ASSERT_TRUE(Foreground(window.Hwnd()));

    EXPECT_FALSE(bar.AcceleratorKey('G')) << "a command on the bar opens nothing";
    EXPECT_TRUE(window.opened.empty());
    EXPECT_TRUE(bar.AcceleratorKey('E'));
    EXPECT_EQ(window.opened, std::vector<HMENU>{edit});
    EXPECT_TRUE(window.filterDuringPopup) << "the message filter exists while the popup is open";
    EXPECT_FALSE(mDeclares::MessageFilterInstalled()) << "and only then";
    EXPECT_EQ(bar.PressedItem(), -1) << "the item is drawn up again";

    // The keyboard hook exists while an engine is attached.
    FakeCaptionPainter painter;
    painter.window = window.Hwnd();
    cNCCalcSize first, second;
    EXPECT_FALSE(mDeclares::KeyboardHookInstalled());
    first.Attach(&painter);
    second.Attach(&painter);
    EXPECT_TRUE(mDeclares::KeyboardHookInstalled());

    // Real keys, all queued before the hook sees the first: Ctrl+Alt+E typed quickly is no Alt+E, though Ctrl is
    // up again by the time E is read; Alt+V after it is.
    SendMessageW(window.Hwnd(), WM_NCACTIVATE, TRUE, 0);
    const DWORD down = 0, up = KEYEVENTF_KEYUP;
    const std::pair<WORD, DWORD> typed[] = {{VK_CONTROL, down}, {VK_MENU, down}, {'E', down}, {'E', up}, {VK_MENU, up},
                                            {VK_CONTROL, up},   {VK_MENU, down}, {'V', down}, {'V', up}, {VK_MENU, up}};
    std::vector<INPUT> keys;
    for (const auto& [vKey, flags] : typed) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vKey;
        input.ki.dwFlags = flags;
        keys.push_back(input);
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());
    // Read in order, every key up to the last: what Ctrl+Alt+E would have told has been told by then.
    EXPECT_TRUE(PumpUntil([&] { return !painter.altKeys.empty() && !(HIWORD(GetQueueStatus(QS_KEY)) & QS_KEY); }));
    EXPECT_EQ(painter.altKeys, std::vector<UINT>{'V'});
    first.Detach();
    EXPECT_TRUE(mDeclares::KeyboardHookInstalled()) << "one engine is still attached";
    second.Detach();
    EXPECT_FALSE(mDeclares::KeyboardHookInstalled());
    bar.Detach();
}

// A File menu (Open, a separator, Exit) on the window, given to the bar; its popup.
HMENU GiveFileMenu(const MenuProbe& window, cMenuBar& bar) {
    const HMENU menu = CreateMenu();
    const HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 61, L"&Open\tCtrl+O");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, 62, L"E&xit");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    SetMenu(window.Hwnd(), menu);  // the window destroys it
    bar.hMenu(menu);
    return file;
}

TEST(MenuBar, DetachedWhileAPopupIsOpenClosesItAndGivesTheMenuBack) {
    MenuProbe window;
    cMenuBar bar;
    bar.Attach(window.Hwnd());
    const HMENU file = GiveFileMenu(window, bar);
    RenderOffScreen(bar);
    ASSERT_EQ(bar.ItemCount(), 1);
    const std::vector<ItemState> before = ReadBack(file);
    ShowWindow(window.Hwnd(), SW_SHOW);
    ASSERT_TRUE(Foreground(window.Hwnd()));

    window.detachOnTick = &bar;
    EXPECT_TRUE(bar.AcceleratorKey('F'));
    KillTimer(window.Hwnd(), 1);
    ASSERT_EQ(window.opened, std::vector<HMENU>{file});
    EXPECT_EQ(window.ticks, 1) << "the detach closed the popup";
    EXPECT_EQ(ReadBack(file), before);
    EXPECT_FALSE(mDeclares::MessageFilterInstalled());
    EXPECT_EQ(bar.PressedItem(), 0);
    EXPECT_FALSE(bar.AcceleratorKey('F')) << "a detached bar opens nothing";

    // Attached again, the bar opens and restores its popups as before.
    window.detachOnTick = nullptr;
    window.ticks = 0;
    bar.Attach(window.Hwnd());
    EXPECT_TRUE(bar.AcceleratorKey('F'));
    EXPECT_EQ(window.opened.size(), 2u);
    EXPECT_EQ(ReadBack(file), before);
    bar.Detach();
}

TEST(MenuBar, ItsPlacesAndThePopupsSizesFollowTheDpi) {
    MenuProbe window;
    cMenuBar bar;
    bar.Attach(window.Hwnd());
    const HMENU file = GiveFileMenu(window, bar);
    RECT w{};
    GetWindowRect(window.Hwnd(), &w);
    // The bar item's left and top in the window, the text item's and the separator's heights.
    const auto sizesAt = [&](int dpi) {
        bar.Scale(skin::ScaleMenu(dpi), dpi);
        RenderOffScreen(bar);  // the caller's font, the same at every DPI here
        const RECT item = bar.ItemScreenRect(1);
        bar.PreparePopup(file);
        const std::vector<int> sizes{static_cast<int>(item.left - w.left), static_cast<int>(item.top - w.top),
                                     static_cast<int>(Measure(window.Hwnd(), ODT_MENU, 61, 1).itemHeight),
                                     static_cast<int>(Measure(window.Hwnd(), ODT_MENU, 0, 2).itemHeight)};
        bar.RestorePopups();
        return sizes;
    };
    const std::vector<int> at96 = sizesAt(kBaseDpi);
    EXPECT_EQ(at96[0], 8 - 2);
    EXPECT_EQ(at96[3], 6);
    for (const int dpi : {144, 192}) {
        // The popups' font is made at the DPI too: the text item grows with it and with its padding.
        const std::vector<int> sizes = sizesAt(dpi);
        for (std::size_t i = 0; i < sizes.size(); ++i)
            EXPECT_LE(std::abs(sizes[i] - ScaleToDpi(at96[i], dpi)), 1) << "size " << i << " at " << dpi << " DPI";
    }
    bar.Detach();
}

}  // namespace
