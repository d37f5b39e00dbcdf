// SkinDemo: a small window that wears Verdaly's skin and has a menu, so the skinned menu bar and its owner-drawn
// popups can be seen and tried (the main window has no menu). A chosen command shows its name in the window;
// Alt+key presses that reach the window are shown too, and the menu can report its items as they are now. Moved to
// a screen of another scale, the skin follows (WM_DPICHANGED), as the main window's does.

#include <windows.h>

#include <string>

#include "winmsg/win/BaseWindow.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/MessagePump.h"
#include "winmsg/win/Picture.h"
#include "app/win/SkinLook.h"
#include "skin/win/cNeoCaption.h"
#include "app/resource.h"

namespace {

// Posted by a test or a tool: the window writes its menu's items into its hidden report label. WM_APP and up
// are ours to use; nothing else sends them to this window.
constexpr UINT kReportMenu = WM_APP + 1;

enum ControlId : int { kChosen = 100, kKeys = 101, kMenuReport = 102 };

enum Command : UINT {
    kNew = 101,
    kOpen,
    kSave,
    kExit,
    kRecentAlpha = 111,
    kRecentBeta,
    kUndo = 201,
    kCut,
    kCopy,
    kPaste,
    kSelectAll,
    kToolbar = 301,
    kStatusBar,
    kLargeIcons,
    kSmallIcons,
    kContents = 401,
    kAbout,
};

struct Entry {
    UINT id;  // 0: a separator
    const wchar_t* text;
};

constexpr Entry kCommands[] = {
    {kNew, L"&New\tCtrl+N"},         {kOpen, L"&Open...\tCtrl+O"},    {kSave, L"&Save\tCtrl+S"},
    {kExit, L"E&xit"},               {kRecentAlpha, L"&1 alpha.txt"}, {kRecentBeta, L"&2 beta.txt"},
    {kUndo, L"&Undo\tCtrl+Z"},       {kCut, L"Cu&t\tCtrl+X"},         {kCopy, L"&Copy\tCtrl+C"},
    {kPaste, L"&Paste\tCtrl+V"},     {kSelectAll, L"Select &All"},    {kToolbar, L"&Toolbar"},
    {kStatusBar, L"&Status bar"},    {kLargeIcons, L"&Large icons"},  {kSmallIcons, L"S&mall icons"},
    {kContents, L"&Contents\tF1"},   {kAbout, L"&About SkinDemo"},
};

const wchar_t* TextOf(UINT id) {
    for (const Entry& e : kCommands) {
        if (e.id == id) return e.text;
    }
    return L"";
}

// A command's name as the window shows it: the text before the shortcut, without the access marks.
std::wstring NameOf(UINT id) {
    std::wstring name;
    for (const wchar_t* p = TextOf(id); *p && *p != L'\t'; ++p) {
        if (*p != L'&') name += *p;
    }
    return name;
}

// Every item carries item data of its own, so a menu that comes back with other data shows in the report.
void Append(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text) {
    AppendMenuW(menu, flags, id, text);
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    mii.dwItemData = 0x5000 + static_cast<ULONG_PTR>(GetMenuItemCount(menu));
    SetMenuItemInfoW(menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), TRUE, &mii);
}

void AppendCommands(HMENU menu, std::initializer_list<UINT> ids) {
    for (UINT id : ids) {
        if (id == 0) {
            Append(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            Append(menu, MF_STRING, id, TextOf(id));
        }
    }
}

HMENU BuildMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    HMENU recent = CreatePopupMenu();
    HMENU edit = CreatePopupMenu();
    HMENU view = CreatePopupMenu();
    HMENU help = CreatePopupMenu();
    AppendCommands(file, {kNew, kOpen, kSave, 0});
    AppendCommands(recent, {kRecentAlpha, kRecentBeta});
    Append(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"&Recent files");
    AppendCommands(file, {0, kExit});
    AppendCommands(edit, {kUndo, 0, kCut, kCopy, kPaste, kSelectAll});
    EnableMenuItem(edit, kPaste, MF_BYCOMMAND | MF_GRAYED | MF_DISABLED);
    AppendCommands(view, {kToolbar, kStatusBar, 0, kLargeIcons, kSmallIcons});
    CheckMenuItem(view, kToolbar, MF_BYCOMMAND | MF_CHECKED);
    for (UINT id : {kLargeIcons, kSmallIcons}) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE;
        mii.fType = MFT_STRING | MFT_RADIOCHECK;
        SetMenuItemInfoW(view, id, FALSE, &mii);
    }
    CheckMenuRadioItem(view, kLargeIcons, kSmallIcons, kLargeIcons, MF_BYCOMMAND);
    AppendCommands(help, {kContents, kAbout});
    Append(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    Append(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    Append(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
    Append(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    return bar;
}

// One line an item, submenus after their item: "path|type|id|data|text", numbers in hexadecimal.
void Report(HMENU menu, const std::wstring& path, std::wstring& out) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
        std::wstring text(mii.cch + 1, L'\0');
        mii.dwTypeData = text.data();
        mii.cch = static_cast<UINT>(text.size());
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
        text.resize(mii.cch);
        wchar_t numbers[80];
        swprintf(numbers, 80, L"|%x|%x|%llx|", mii.fType, mii.wID, static_cast<unsigned long long>(mii.dwItemData));
        const std::wstring here = path + std::to_wstring(i);
        out += here + numbers + text + L"\n";
        if (mii.hSubMenu) Report(mii.hSubMenu, here + L".", out);
    }
}

std::wstring KeyName(WPARAM vKey) {
    if ((vKey >= 'A' && vKey <= 'Z') || (vKey >= '0' && vKey <= '9')) return std::wstring(1, static_cast<wchar_t>(vKey));
    if (vKey >= VK_F1 && vKey <= VK_F24) return L"F" + std::to_wstring(vKey - VK_F1 + 1);
    wchar_t hex[8];
    swprintf(hex, 8, L"0x%02X", static_cast<unsigned>(vKey));
    return hex;
}

class SkinDemo : public BaseWindow {
public:
    static constexpr const wchar_t* kTitle = L"SkinDemo";
    static constexpr int kClientWidth = 420;
    static constexpr int kClientHeight = 180;

    bool CreateMain(int showCommand) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        picCaption_ = LoadSkinPicture(instance, IDB_SKIN_CAPTION);
        picBorder_ = LoadSkinPicture(instance, IDB_SKIN_BORDER);
        icon_.Reset(LoadIconW(instance, MAKEINTRESOURCEW(IDI_VERDALY)));
        WindowArgs args;
        args.windowClass = {L"VerdalySkinDemo", 0, GetSysColorBrush(COLOR_BTNFACE), icon_.Get(), icon_.Get()};
        args.text = kTitle;
        args.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
        args.rect = {120, 100, 120 + kClientWidth, 100 + kClientHeight};
        if (!Create(args)) return false;

        menu_.Reset(BuildMenu());
        SetMenu(Hwnd(), menu_.Get());
        // The pictures of every scale but 100 % are made from the 200 % masters.
        if (AttachSkinLook(skin_, Hwnd(), picCaption_, picBorder_)) {
            int left = 0, top = 0, right = 0, bottom = 0;
            skin_.GetLeftMarginWidth(left);
            skin_.GetTopMarginHeight(top);
            skin_.GetRightMarginWidth(right);
            skin_.GetBottomMarginHeight(bottom);
            SetWindowPos(Hwnd(), nullptr, 0, 0, kClientWidth + left + right, kClientHeight + top + bottom,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        ShowWindow(Hwnd(), showCommand);
        UpdateWindow(Hwnd());
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override {
        switch (msg) {
            case WM_CREATE: OnCreate(); return 0;
            case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: OnKey(wParam); break;
            case kReportMenu: OnReportMenu(); return 0;
            case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
            case WM_CLOSE:
                // The skin gives the menu back to the window, which then destroys it with itself.
                skin_.Detach();
                DestroyWindow(Hwnd());
                return 0;
            case WM_DESTROY:
                if (GetMenu(Hwnd()) == menu_.Get()) menu_.Release();
                PostQuitMessage(0);
                return 0;
            default: break;
        }
        return DefWindowProcW(Hwnd(), msg, wParam, lParam);
    }

private:
    void Label(int id, const wchar_t* text, int top, bool visible = true) {
        WindowArgs args;
        args.windowClass.name = L"STATIC";
        args.text = text;
        args.style = WS_CHILD | SS_LEFT | SS_NOPREFIX | (visible ? WS_VISIBLE : 0);
        args.rect = {20, top, kClientWidth - 20, top + 24};
        args.parent = Hwnd();
        args.id = id;
        const HWND label = CreateSystemWindow(args);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }

    void OnCreate() {
        Label(kChosen, L"Choose a command from the menu.", 30);
        Label(kKeys, L"", 70);
        Label(kMenuReport, L"", 110, false);
    }

    void OnCommand(UINT id) {
        switch (id) {
            case kToolbar: {
                const bool on = GetMenuState(menu_.Get(), kToolbar, MF_BYCOMMAND) & MF_CHECKED;
                CheckMenuItem(menu_.Get(), kToolbar, MF_BYCOMMAND | (on ? MF_UNCHECKED : MF_CHECKED));
                break;
            }
            case kLargeIcons:
            case kSmallIcons:
                CheckMenuRadioItem(menu_.Get(), kLargeIcons, kSmallIcons, id, MF_BYCOMMAND);
                break;
            case kExit: PostMessageW(Hwnd(), WM_CLOSE, 0, 0); break;
            default: break;
        }
        if (*TextOf(id)) SetDlgItemTextW(Hwnd(), kChosen, NameOf(id).c_str());
    }

    void OnKey(WPARAM vKey) {
        if (vKey == VK_MENU || vKey == VK_CONTROL || vKey == VK_SHIFT) return;
        if (!(GetKeyState(VK_MENU) & 0x8000)) return;
        const std::wstring name = std::wstring(GetKeyState(VK_CONTROL) & 0x8000 ? L"Ctrl+" : L"") + L"Alt+" + KeyName(vKey);
        SetDlgItemTextW(Hwnd(), kKeys, name.c_str());
    }

    void OnDpiChanged(int dpi, const RECT* suggested) {
        // The skin first, so the frame the suggested rectangle holds is already the new one.
        skin_.DpiChanged(dpi);
        if (suggested)
            SetWindowPos(Hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void OnReportMenu() {
        std::wstring out;
        Report(menu_.Get(), L"", out);
        SetDlgItemTextW(Hwnd(), kMenuReport, out.c_str());
    }

    Picture picCaption_;
    Picture picBorder_;
    UniqueIcon icon_;
    UniqueMenu menu_;  // released to the window when the window holds it as it goes
    cNeoCaption skin_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    int exitCode = 1;
    {
        SkinDemo demo;
        if (demo.CreateMain(showCommand)) exitCode = MessagePump::Run();
    }
    return exitCode;
}
