#include "MainForm.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <filesystem>

#include "AnsiText.h"
#include "CryptText.h"
#include "CustomControls.h"
#include "SiteAddresses.h"
#include "modTray.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kEditSubclassId = 1;

UniqueFont MakeFont(const wchar_t* face, int tenthsOfPoint, int dpi, BYTE charset) {
    return UniqueFont(CreateFontW(-MulDiv(tenthsOfPoint, dpi, 720), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
}

}  // namespace

MainForm::MainForm() = default;

MainForm::~MainForm() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool MainForm::Create(int showCommand) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    bigIcon_.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VERDALY), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VERDALY), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    if (!RegisterClassOnce(kClassName, 0, GetSysColorBrush(COLOR_BTNFACE), bigIcon_.Get(), smallIcon_.Get()))
        return false;

    {
        WindowDC screen(nullptr);
        dpi_ = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT frame{0, 0, Twips(kClientWidthTwips), Twips(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);

    if (!CreateWindowExW(exStyle, kClassName, kCaption, style, x, y, width, height, nullptr, nullptr, instance, this))
        return false;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
}

int MainForm::Twips(int twips) const {
    return MulDiv(twips, dpi_, 1440);
}

LRESULT MainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam)); return 0;
        case WM_SETFOCUS:
            if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) SetFocus(lastFocus_);
            return 0;
        case WM_SIZE: OnSize(wParam); return 0;
        case WM_MOUSEMOVE: OnTrayNotify(static_cast<UINT>(GET_X_LPARAM(lParam))); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_TIMER: OnTimer(); return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY:
            // Whatever way the window goes (even closed from the tray), its timer and its tray icon go first.
            progressTimer_.Stop();
            RemoveTrayIcon();
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

bool MainForm::OnCreate() {
    windowFont_ = MakeFont(L"微软雅黑", 90, dpi_, GB2312_CHARSET);
    courierFont_ = MakeFont(L"Courier New", 105, dpi_, DEFAULT_CHARSET);
    songFont_ = MakeFont(L"宋体", 105, dpi_, GB2312_CHARSET);
    CreateControls();
    Load();
    return true;
}

void MainForm::CreateControls() {
    for (const ControlSpec& entry : kControls) {
        HWND parent = entry.parent == kNone ? hwnd_ : Ctl(entry.parent);
        const RECT rect{Twips(entry.left), Twips(entry.top), Twips(entry.left + entry.width),
                        Twips(entry.top + entry.height)};
        HWND control = CreateControl(entry, parent, rect);
        controls_[entry.id] = control;
        if (!control || entry.kind == ControlKind::PushButton || entry.kind == ControlKind::ProgressBar) continue;
        HFONT font = entry.font == FontRole::CourierNew ? courierFont_.Get()
                     : entry.font == FontRole::SongTi   ? songFont_.Get()
                                                        : windowFont_.Get();
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SendMessageW(Ctl(kPassword), EM_SETPASSWORDCHAR, L'*', 0);
    SendMessageW(Ctl(kUrlInitName), BM_SETCHECK, BST_CHECKED, 0);
    for (ControlId edit : {kPassword, kAlbumURLTxt})
        SetWindowSubclass(Ctl(edit), &MainForm::EditSubclassProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
    Enable(kFrameAblum, false);
    Enable(kFrameMode, false);
}

HWND MainForm::CreateControl(const ControlSpec& entry, HWND parent, const RECT& rect) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id));
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (entry.kind) {
        case ControlKind::Frame:
        case ControlKind::Picture: {
            auto container = std::make_unique<GroupContainer>();
            HWND hwnd = container->Create(parent, entry.id, entry.text, rect, entry.kind == ControlKind::Frame,
                                          windowFont_.Get());
            containers_.push_back(std::move(container));
            return hwnd;
        }
        case ControlKind::Label: {
            // Labels start a group of their own so arrow keys in the radio group stop at them.
            // Some labels reach under the box beside them; they sit at the bottom and clip against their
            // siblings so their background never paints over a box's edge.
            DWORD style = child | WS_GROUP | WS_CLIPSIBLINGS | SS_LEFT | SS_NOPREFIX;
            if (entry.id == kCheckNewLable) style |= SS_NOTIFY;
            HWND label = CreateWindowExW(0, L"STATIC", entry.text, style, rect.left, rect.top, w, h, parent, id,
                                         instance, nullptr);
            if (label) SetWindowPos(label, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return label;
        }
        case ControlKind::Edit: {
            DWORD style = child | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
            if (entry.id == kPassword) style |= ES_PASSWORD;
            return CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", entry.text, style, rect.left, rect.top, w, h, parent, id,
                                   instance, nullptr);
        }
        case ControlKind::Check:
            return CreateWindowExW(0, L"BUTTON", entry.text, child | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, rect.left,
                                   rect.top, w, h, parent, id, instance, nullptr);
        case ControlKind::Radio: {
            // The first radio opens the group and carries the tab stop; arrows move within the group.
            const DWORD style = child | BS_AUTORADIOBUTTON | (entry.id == kUrlInitName ? WS_GROUP | WS_TABSTOP : 0);
            return CreateWindowExW(0, L"BUTTON", entry.text, style, rect.left, rect.top, w, h, parent, id, instance,
                                   nullptr);
        }
        case ControlKind::PushButton: return CreatePushButton(entry, parent, rect, windowFont_.Get());
        case ControlKind::ProgressBar: return CreateProgressBar(entry, parent, rect, windowFont_.Get());
    }
    return nullptr;
}

HWND MainForm::Ctl(ControlId id) const {
    return id > 0 && id < static_cast<int>(controls_.size()) ? controls_[id] : nullptr;
}

std::wstring MainForm::Text(ControlId id) const {
    HWND hwnd = Ctl(id);
    const int length = hwnd ? GetWindowTextLengthW(hwnd) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

void MainForm::SetText(ControlId id, const std::wstring& text) {
    if (HWND hwnd = Ctl(id)) SetWindowTextW(hwnd, text.c_str());
}

void MainForm::Enable(ControlId id, bool enabled) {
    if (HWND hwnd = Ctl(id)) EnableWindow(hwnd, enabled);
}

void MainForm::Focus(ControlId id) {
    HWND hwnd = Ctl(id);
    // A control inside a disabled group cannot take the focus; the step is skipped, as it would fail.
    if (!hwnd || !IsWindowVisible(hwnd_)) return;
    for (HWND w = hwnd; w && w != hwnd_; w = GetParent(w))
        if (!IsWindowEnabled(w)) return;
    SetFocus(hwnd);
    lastFocus_ = hwnd;
}

bool MainForm::IsChecked(ControlId id) const {
    return SendMessageW(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainForm::SetProgressValue(int value) {
    SetProgressBarValue(Ctl(kNicePressBar), value);
}

int MainForm::ProgressValue() const {
    return ProgressBarValue(Ctl(kNicePressBar));
}

void MainForm::Load() {
    // Every step's failure is ignored and the next one runs.
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
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    if (IsIconic(hwnd_)) return;
    if (activatePending_) {
        RunActivateIfPending();
    } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
    }
}

void MainForm::RunActivateIfPending() {
    if (!activatePending_ || !IsWindowVisible(hwnd_) || IsIconic(hwnd_)) return;
    activatePending_ = false;
    Activate();
}

void MainForm::Activate() {
    // An unreadable flag counts as "not remembered".
    const auto remember = Config.ReadValue("3");
    if (!remember || *remember != "T") {
        SendMessageW(Ctl(kCheckUser), BM_SETCHECK, BST_UNCHECKED, 0);
        Focus(kEmail);
        return;
    }
    SendMessageW(Ctl(kCheckUser), BM_SETCHECK, BST_CHECKED, 0);
    // Whatever was typed is replaced; a stored value that cannot be restored leaves the box empty.
    const auto restore = [this](const char* key) {
        const auto stored = Config.ReadValue(key);
        return stored ? UnscrambleText(*stored, kCryptKey).value_or(std::wstring()) : std::wstring();
    };
    SetText(kEmail, restore("1"));
    SetText(kPassword, restore("2"));
    const int end = GetWindowTextLengthW(Ctl(kPassword));
    SendMessageW(Ctl(kPassword), EM_SETSEL, static_cast<WPARAM>(end), end);
    Focus(kPassword);
}

void MainForm::OnClose() {
    if (DownFlag == L"T") {
        MessageBoxW(hwnd_, L"相册下载中，请您先停止", L"退出程序", MB_OK);
        return;
    }
    DestroyWindow(hwnd_);
}

void MainForm::OnCommand(int id, int code, HWND /*control*/) {
    switch (id) {
        case kEmail:
        case kAlbumURLTxt:
            // Losing the focus scrolls the start of the text back into view.
            if (code == EN_KILLFOCUS) SendMessageW(Ctl(static_cast<ControlId>(id)), EM_SETSEL, 0, 0);
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
    if (control == Ctl(kCheckNewLable)) SetTextColor(dc, RGB(0, 0, 255));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK MainForm::EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<MainForm*>(refData);
    const int id = GetDlgCtrlID(hwnd);
    switch (msg) {
        case WM_GETDLGCODE: {
            // Enter in the password box is the login's, not the dialog manager's default button.
            LRESULT code = DefSubclassProc(hwnd, msg, wParam, lParam);
            const auto* m = reinterpret_cast<const MSG*>(lParam);
            if (id == kPassword && m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) && m->wParam == VK_RETURN)
                code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_CHAR:
            if (id == kPassword && wParam == VK_RETURN) {
                self->OnLoginClick();
                if (!IsWindow(hwnd)) return 0;
            }
            break;
        case WM_LBUTTONDBLCLK:
            if (id == kAlbumURLTxt) SetWindowTextW(hwnd, L"");
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &MainForm::EditSubclassProc, kEditSubclassId); break;
        default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void MainForm::OnCheckNewLableClick() {
    std::wstring command = std::wstring(L"explorer ") + Site::kHomePage;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        // Nothing waits for the browser: both handles go at once.
        UniqueKernelHandle thread(pi.hThread);
        UniqueKernelHandle process(pi.hProcess);
    }
}
