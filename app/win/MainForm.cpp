#include "MainForm.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <filesystem>

#include "services/AtomicFile.h"
#include "services/win/CryptText.h"
#include "controls/progressbar/win/ProgressBar.h"
#include "winmsg/win/Dpi.h"
#include "app/LoginRules.h"
#include "app/SiteAddresses.h"
#include "SkinLook.h"
#include "services/win/modTray.h"
#include "app/resource.h"

namespace {

// In the middle of the work area, at the size the window has.
void PlaceInWorkArea(HWND hwnd) noexcept {
    RECT placed{};
    GetWindowRect(hwnd, &placed);
    const int width = placed.right - placed.left;
    const int height = placed.bottom - placed.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool MainForm::CreateMain(int showCommand) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    PicCaption = LoadSkinPicture(instance, IDB_SKIN_CAPTION);
    PicBorder = LoadSkinPicture(instance, IDB_SKIN_BORDER);
    // The window opens on the primary monitor's work area, at that monitor's scale; once made, it keeps its own.
    dpi_ = MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    LoadIcons();
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    // The system's frame until the skin takes over (Load sizes the window again from the skin's margins).
    RECT frame{0, 0, MulDiv(kClientWidthTwips, dpi_, 1440), MulDiv(kClientHeightTwips, dpi_, 1440)};
    AdjustWindowRectForDpi(frame, style, exStyle, dpi_);

    WindowArgs args;
    args.windowClass = {kClassName, 0, GetSysColorBrush(COLOR_BTNFACE), bigIcon_.Get(), smallIcon_.Get()};
    args.text = kCaption;
    args.style = style;
    args.exStyle = exStyle;
    args.rect = {0, 0, frame.right - frame.left, frame.bottom - frame.top};
    if (!Create(args)) return false;
    // Shown already (OnCreate); a caller that asks for another state than the start-up one gets it now.
    ShowWindow(Hwnd(), showCommand);
    return true;
}

LRESULT MainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam)); return 0;
        case WM_SETFOCUS: controls_.RestoreFocus(); return 0;
        case WM_SIZE: OnSize(wParam); return 0;
        case WM_MOUSEMOVE:
            // The tray icon reports its events as mouse moves; only while it stands in for the hidden window
            // can a mouse move be one of them, never a pointer that crosses the window.
            if (inTray_ && !IsWindowVisible(Hwnd())) OnTrayNotify(static_cast<UINT>(GET_X_LPARAM(lParam)));
            return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_TIMER: OnTimer(); return 0;
        case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY:
            // Whatever way the window goes (even closed from the tray), its timer and its tray icon go first.
            progressTimer_.Stop();
            RemoveTrayIcon();
            inTray_ = false;
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcW(Hwnd(), msg, wParam, lParam);
    }
}

bool MainForm::OnCreate() {
    dpi_ = WindowDpi(Hwnd());
    controls_.Create(Hwnd(), dpi_, [this] { OnLoginClick(); });
    Load();
    // Shown before the creation ends. Wine's desktop decides whether a window has a taskbar button only when it
    // hears that a top-level window came or went, first of all this one: a window still hidden then got none
    // until something else came or went, or it was clicked. SW_SHOWDEFAULT is the way the program was started.
    PlaceInWorkArea(Hwnd());
    ShowWindow(Hwnd(), SW_SHOWDEFAULT);
    UpdateWindow(Hwnd());
    return true;
}

void MainForm::LoadIcons() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto load = [&](int width, int height) {
        return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VERDALY), IMAGE_ICON,
                                                        SystemMetricForDpi(width, dpi_), SystemMetricForDpi(height, dpi_), 0)));
    };
    bigIcon_ = load(SM_CXICON, SM_CYICON);
    smallIcon_ = load(SM_CXSMICON, SM_CYSMICON);
    if (!Hwnd()) return;  // before the window: its class takes them
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

void MainForm::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    // The skin's margins first, so the frame the new rectangle holds is already the new one; then the controls at
    // the new scale, and the rectangle the system suggests, which keeps the window where the pointer left it.
    Skin.DpiChanged(dpi_);
    controls_.SetDpi(dpi_);
    LoadIcons();
    if (suggested)
        SetWindowPos(Hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::SetProgressValue(int value) {
    if (ProgressBar* bar = controls_.NicePressBar()) bar->Model().SetValue(value);
}

int MainForm::ProgressValue() const {
    const ProgressBar* bar = controls_.NicePressBar();
    return bar ? bar->Model().Value() : 0;
}

void MainForm::AttachSkin() {
    // Without the skin the window keeps the system's frame, at the size it was made with.
    if (!AttachSkinLook(Skin, Hwnd(), PicCaption, PicBorder)) return;
    // The client area keeps its layout size inside the skin's margins. The background is the window class's
    // button-face brush.
    int left = 0, top = 0, right = 0, bottom = 0;
    Skin.GetLeftMarginWidth(left);
    Skin.GetTopMarginHeight(top);
    Skin.GetRightMarginWidth(right);
    Skin.GetBottomMarginHeight(bottom);
    SetWindowPos(Hwnd(), nullptr, 0, 0, MulDiv(kClientWidthTwips, dpi_, 1440) + left + right,
                 MulDiv(kClientHeightTwips, dpi_, 1440) + top + bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::Load() {
    AttachSkin();
    // From here on every step's failure is ignored and the next one runs.
    const std::filesystem::path file(kSettingsFile);
    std::error_code error;
    // Only a file that is surely missing gets the default lines; one that could not be looked at (locked,
    // no access) may hold a remembered account and is left alone.
    const bool exists = std::filesystem::exists(file, error);
    if (!exists && !error) {
        if (!WriteFileAtomically(file, FileCFG::kDefaultContent)) return;
    }
    Config.LoadFile(file);
}

void MainForm::OnActivate(WORD state) {
    if (state == WA_INACTIVE) {
        controls_.RememberFocus();
        return;
    }
    if (IsIconic(Hwnd())) return;
    if (activatePending_) {
        RunActivateIfPending();
    } else {
        controls_.RestoreFocus();
    }
}

void MainForm::RunActivateIfPending() {
    if (!activatePending_ || !IsWindowVisible(Hwnd()) || IsIconic(Hwnd())) return;
    activatePending_ = false;
    Activate();
}

void MainForm::Activate() {
    // An unreadable flag counts as "not remembered".
    const auto remember = Config.ReadValue(kRememberKey);
    if (!remember || *remember != "T") {
        controls_.SetChecked(kCheckUser, false);
        controls_.Focus(kEmail);
        return;
    }
    controls_.SetChecked(kCheckUser, true);
    // Whatever was typed is replaced; a stored value that cannot be restored leaves the box empty.
    const auto restore = [this](std::string_view key) {
        const auto stored = Config.ReadValue(key);
        return stored ? UnscrambleText(*stored, kCryptKey).value_or(std::wstring()) : std::wstring();
    };
    controls_.SetText(kEmail, restore(kEmailKey));
    controls_.SetText(kPassword, restore(kPasswordKey));
    HWND password = controls_.Ctl(kPassword);
    const int end = GetWindowTextLengthW(password);
    SendMessageW(password, EM_SETSEL, static_cast<WPARAM>(end), end);
    controls_.Focus(kPassword);
}

void MainForm::OnClose() {
    if (DownFlag == L"T") {
        MessageBoxW(Hwnd(), L"相册下载中，请您先停止", L"退出程序", MB_OK);
        return;
    }
    Skin.Detach();
    DestroyWindow(Hwnd());
}

void MainForm::OnCommand(int id, int code, HWND /*control*/) {
    switch (id) {
        case kEmail:
        case kAlbumURLTxt:
            // Losing the focus scrolls the start of the text back into view.
            if (code == EN_KILLFOCUS) SendMessageW(controls_.Ctl(static_cast<ControlId>(id)), EM_SETSEL, 0, 0);
            break;
        case kCheckNewLable:
            if (code == STN_CLICKED) OnCheckNewLableClick();
            break;
        case kNBtnLogin:
            if (code == BN_CLICKED) OnLoginClick();
            break;
        case kNBtnClip:
            if (code == BN_CLICKED) OnClipClick();
            break;
        case kNBtnFile:
            if (code == BN_CLICKED) OnFileClick();
            break;
        case kNBtnDown:
            if (code == BN_CLICKED) OnDownClick();
            break;
        default:
            // IDOK and IDCANCEL from the dialog manager (Enter, Esc) do nothing.
            break;
    }
}

LRESULT MainForm::OnCtlColor(HDC dc, HWND control) {
    SetBkMode(dc, TRANSPARENT);
    if (control == controls_.Ctl(kCheckNewLable)) SetTextColor(dc, RGB(0, 0, 255));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainForm::OnCheckNewLableClick() {
    // By its full path: a bare name could be supplied by the current directory.
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring explorer = std::wstring(windows, length) + L"\\explorer.exe";
    std::wstring command = L"\"" + explorer + L"\" " + Site::kHomePage;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(explorer.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        // Nothing waits for the browser: both handles go at once.
        UniqueKernelHandle thread(pi.hThread);
        UniqueKernelHandle process(pi.hProcess);
    }
}
