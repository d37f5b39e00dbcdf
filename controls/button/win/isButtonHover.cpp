// Hovering: the leave tracking and the hook's after-messages that give the button its hover look, and the
// tooltip window that shows while the pointer is over it.
#include "isButton.h"

#include <utility>

#include "winmsg/win/Dpi.h"

using namespace button;

namespace {

// Looks a leave-tracking function up in a library already in the process, or loads the library for it. A
// library loaded here stays loaded when the function is found, since the button goes on calling it.
FARPROC FindExport(const wchar_t* library, const char* name) noexcept {
    if (HMODULE loaded = GetModuleHandleW(library)) return GetProcAddress(loaded, name);
    HMODULE module = LoadLibraryW(library);
    if (!module) return nullptr;
    FARPROC proc = GetProcAddress(module, name);
    if (!proc) FreeLibrary(module);
    return proc;
}

}  // namespace

bool isButton::LeaveTrackingAvailable() const {
    if (FARPROC proc = FindExport(L"user32.dll", "TrackMouseEvent"))
        track_ = reinterpret_cast<TrackFunction>(reinterpret_cast<void*>(proc));
    else if (FARPROC fallback = FindExport(L"comctl32.dll", "_TrackMouseEvent"))
        track_ = reinterpret_cast<TrackFunction>(reinterpret_cast<void*>(fallback));
    return track_ != nullptr;
}

void isButton::TrackLeave() {
    if (!track_ || !core_.Fields().CanTrackLeave) return;
    TRACKMOUSEEVENT request{sizeof(TRACKMOUSEEVENT), TME_LEAVE, Hwnd(), 0};
    track_(&request);
}

void isButton::InstallHook() {
    if (!hook_.Install(Hwnd(), *this)) return;
    for (UINT message : {UINT{WM_MOUSEMOVE}, UINT{WM_MOUSELEAVE}, UINT{WM_THEMECHANGED}, UINT{WM_SYSCOLORCHANGE}})
        hook_.Register(message, HookLists::kAfter);
}

void isButton::CreateToolTipWindow() {
    DestroyToolTipWindow();
    const ButtonProperties& p = core_.Props();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const DWORD style = TTS_ALWAYSTIP | TTS_NOPREFIX | (p.ToolTipType == 1 ? TTS_BALLOON : 0);
    toolTip_.Reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, Hwnd(), nullptr, instance, nullptr));
    if (!toolTip_) return;
    SetWindowPos(toolTip_.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    toolText_ = p.ToolTipText;
    toolInfo_ = TOOLINFOW{};
    toolInfo_.cbSize = sizeof(TOOLINFOW);
    toolInfo_.uFlags = TTF_SUBCLASS;
    toolInfo_.hwnd = Hwnd();
    toolInfo_.uId = 0;
    GetClientRect(Hwnd(), &toolInfo_.rect);
    toolInfo_.hinst = instance;
    toolInfo_.lpszText = toolText_.data();
    SendMessageW(toolTip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    if (!p.ToolTipTitle.empty() || p.ToolTipIcon != 0)
        SendMessageW(toolTip_.Get(), TTM_SETTITLEW, static_cast<WPARAM>(p.ToolTipIcon),
                     reinterpret_cast<LPARAM>(p.ToolTipTitle.c_str()));
    if (p.ToolTipForeColor != 0)
        SendMessageW(toolTip_.Get(), TTM_SETTIPTEXTCOLOR, TranslateColor(p.ToolTipForeColor).value, 0);
    if (p.ToolTipBackColor != 0)
        SendMessageW(toolTip_.Get(), TTM_SETTIPBKCOLOR, TranslateColor(p.ToolTipBackColor).value, 0);
    SetToolTipFont();
}

void isButton::SetToolTipFont() noexcept {
    // The tooltip makes its font at the session's DPI; a button drawing at another gives it one at its own.
    const int session = SystemDpi();
    if (Dpi() == session && !toolTipFont_) return;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
    metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, Dpi(), session);
    UniqueFont font(CreateFontIndirectW(&metrics.lfStatusFont));
    if (!font) return;
    SendMessageW(toolTip_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    toolTipFont_ = std::move(font);
}

void isButton::DestroyToolTipWindow() {
    if (!toolTip_) return;
    SendMessageW(toolTip_.Get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    toolTip_.Reset();
    toolTipFont_.Reset();
}

void isButton::zSubclass_Proc(bool bBefore, bool&, LRESULT&, HWND&, UINT& uMsg, WPARAM&, LPARAM&) noexcept {
    if (bBefore) return;
    switch (uMsg) {
        case WM_MOUSEMOVE: core_.HookMouseMove(); break;
        case WM_MOUSELEAVE: core_.HookMouseLeave(); break;
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE: core_.HookRepaint(); break;
        default: break;
    }
}
