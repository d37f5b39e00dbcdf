#include "isButton.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ButtonCanvas.h"
#include "ButtonPaint.h"
#include "ButtonReader.h"
#include "IconText.h"
#include "WindowText.h"

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

UniqueRegion RegionFor(const Shape& shape) {
    switch (shape.kind) {
        case Shape::Kind::Polygon: {
            std::vector<POINT> points;
            for (const button::Point& p : shape.points) points.push_back(POINT{p.x, p.y});
            return UniqueRegion(CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE));
        }
        case Shape::Kind::RoundRect:
            return UniqueRegion(CreateRoundRectRgn(shape.rect.left, shape.rect.top, shape.rect.right, shape.rect.bottom,
                                                   shape.ellipse, shape.ellipse));
        case Shape::Kind::Rectangle: break;
    }
    return UniqueRegion(CreateRectRgn(shape.rect.left, shape.rect.top, shape.rect.right, shape.rect.bottom));
}

}  // namespace

HWND isButton::Create(const HostedControlArgs& args) {
    HWND hwnd = HostedControl::Create(std::unique_ptr<HostedControl>(new isButton()), kClassName, args);
    if (!hwnd) return nullptr;
    // A window made visible at creation gets no WM_SHOWWINDOW.
    if (isButton* self = FromHwnd(hwnd); self && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE)) self->core_.Show();
    return hwnd;
}

isButton* isButton::FromHwnd(HWND hwnd) noexcept {
    return dynamic_cast<isButton*>(HostedControl::FromHwnd(hwnd));
}

void isButton::InitProperties() {
    core_.InitProperties();
    aboutStyle_ = AboutPanel::kStyle;
    Surface().SetFont(core_.Props().Font);
    Surface().SetMousePointer(core_.Props().MousePointer);
    SetWindowTextW(Hwnd(), core_.Props().Caption.c_str());
}

void isButton::ReadProperties(const PropertyBag& bag) {
    core_.ReadProperties(bag);
    aboutStyle_ = AboutPanel::kStyle;
    if (WindowText(Hwnd()) != core_.Props().Caption) SetWindowTextW(Hwnd(), core_.Props().Caption.c_str());
    if (Ready()) ReLayout();
}

void isButton::WriteProperties(PropertyBag& bag) const {
    core_.WriteProperties(bag);
}

void isButton::OnResize() {
    ReLayout();
}

void isButton::SetIcon(HICON icon) {
    core_.SetIcon(icon ? std::make_shared<IconPicture>(icon) : nullptr);
}

// ---- painting --------------------------------------------------------------------------------------------

bool isButton::Draw() noexcept {
    painting_ = true;
    ButtonCanvas canvas(Hwnd(), Surface(), mask_, core_.Props(), core_.Props().Caption);
    const bool fellBack =
        button::Refresh(core_, canvas, PaintInput{Surface().ScaleWidth(), Surface().ScaleHeight(), UserMode()});
    painting_ = false;
    return fellBack;
}

void isButton::AfterFallBack(bool fellBack) {
    // Without a visual style the button goes on in its fall-back style: give it that style's shape and look now.
    if (fellBack && core_.Props().Style != StyleThemed) ReLayout();
}

void isButton::Refresh() noexcept {
    if (!Hwnd() || !Surface().Dc() || painting_) return;
    const bool fellBack = Draw();
    HostedControl::Refresh();
    AfterFallBack(fellBack);
}

void isButton::OnPaintRequest() noexcept {
    // Every paint request repaints, so the face shows the present state even where it changed without one.
    if (!Hwnd() || !Surface().Dc() || painting_) return;
    AfterFallBack(Draw());
}

void isButton::ReLayout() {
    if (!Hwnd()) return;
    RECT window{};
    GetWindowRect(Hwnd(), &window);
    const int minimum = MinimumSidePixels(ScreenDpi());
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    if (width < minimum || height < minimum) {
        // The new size comes back through WM_SIZE, which lays the button out again.
        SetWindowPos(Hwnd(), nullptr, 0, 0, std::max(width, minimum), std::max(height, minimum),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int w = Surface().ScaleWidth();
    const int h = Surface().ScaleHeight();
    core_.Layout(w, h);
    ApplyShape(w, h);
    Refresh();
}

void isButton::ApplyShape(int width, int height) noexcept {
    const Shape shape = ShapeFor(core_.Props().Style, width, height);
    // Every style without a shape of its own has the same rectangle.
    const int style = shape.kind == Shape::Kind::Rectangle ? -1 : core_.Props().Style;
    shape_.Apply(
        style, width, height, [&shape] { return RegionFor(shape); },
        [this](UniqueRegion region) { return SetShape(std::move(region)); });
}

// ---- site ------------------------------------------------------------------------------------------------

Colour isButton::SysColour(int index) const {
    // Through the platform's colour translation, so an index it does not know fails (-1) instead of black.
    return TranslateColour(SysColourRef(index));
}

button::PicturePtr isButton::PictureFromText(std::wstring_view text) const {
    HICON icon = IconFromText(text);
    return icon ? std::make_shared<IconPicture>(icon) : nullptr;
}

void isButton::PropertyChanged(std::wstring_view name) {
    Site().PropertyChanged(name);
    // The window text mirrors the caption for the parent's GetWindowText and for screen readers.
    if (name == L"Caption" && Hwnd() && WindowText(Hwnd()) != core_.Props().Caption)
        SetWindowTextW(Hwnd(), core_.Props().Caption.c_str());
}

bool isButton::RaiseClick() {
    HWND hwnd = Hwnd();
    const int id = GetDlgCtrlID(hwnd);
    // The click action turned a check button's Value over without a property notice.
    if (core_.Props().ButtonType == ButtonCheck) AnnounceToReaders(reader::kStateChange);
    // A copy: the handler may destroy the window, and with it this object and its members.
    if (const auto click = Click) click();
    // The handler may have run a whole nested message loop; the parent still hears of this click once.
    if (IsWindow(hwnd))
        if (HWND parent = GetParent(hwnd))
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    return IsWindow(hwnd) != FALSE;
}

bool isButton::RaiseMouseEnter() {
    HWND hwnd = Hwnd();
    if (const auto mouseEnter = MouseEnter) mouseEnter();
    return IsWindow(hwnd) != FALSE;
}

void isButton::RaiseMouseLeave() {
    if (const auto mouseLeave = MouseLeave) mouseLeave();
}

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
        SendMessageW(toolTip_.Get(), TTM_SETTIPTEXTCOLOR, TranslateColour(p.ToolTipForeColor), 0);
    if (p.ToolTipBackColor != 0)
        SendMessageW(toolTip_.Get(), TTM_SETTIPBKCOLOR, TranslateColour(p.ToolTipBackColor), 0);
}

void isButton::DestroyToolTipWindow() {
    if (!toolTip_) return;
    SendMessageW(toolTip_.Get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    toolTip_.Reset();
}

void isButton::MoveFocus(bool forward) {
    HWND root = GetAncestor(Hwnd(), GA_ROOT);
    HWND next = root ? GetNextDlgTabItem(root, Hwnd(), forward ? FALSE : TRUE) : nullptr;
    if (!next || next == Hwnd()) return;
    // As Tab does: an edit box that arrives by keyboard has its text selected.
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    SetFocus(next);
}

void isButton::EnableWindow(bool enabled) {
    if (Hwnd() && (::IsWindowEnabled(Hwnd()) != FALSE) != enabled) ::EnableWindow(Hwnd(), enabled);
}

void isButton::FontChanged() {
    Surface().SetFont(core_.Props().Font);
}

void isButton::MousePointerChanged() {
    Surface().SetMousePointer(core_.Props().MousePointer);
}

// ---- the hook ----------------------------------------------------------------------------------------------

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

// ---- messages ------------------------------------------------------------------------------------------------

void isButton::OnPrimaryDown(bool doubleClick) noexcept {
    if (GetFocus() != Hwnd()) SetFocus(Hwnd());
    SetCapture(Hwnd());
    pressed_ = true;
    pressedByDouble_ = doubleClick;
    if (doubleClick)
        core_.DoubleClick();
    else
        core_.MouseDown(kPrimaryButton);
}

void isButton::OnPrimaryUp(POINT at) noexcept {
    const bool wasPressed = pressed_;
    const bool second = pressedByDouble_;
    pressed_ = pressedByDouble_ = false;
    // Capture goes before Click: its handler may run for a long time with a message loop of its own.
    if (GetCapture() == Hwnd()) ReleaseCapture();
    RECT client{};
    GetClientRect(Hwnd(), &client);
    const bool inside = PtInRect(&client, at) != FALSE;
    core_.MouseUp(kPrimaryButton);
    if (wasPressed && inside && !second) {
        core_.ContainerClick();
    } else if (!inside && !core_.Fields().MouseInside && core_.Fields().ButtonState == kStateHover) {
        // Released after the pointer left: no hover look without a pointer.
        core_.Fields().ButtonState = kStateNormal;
        Refresh();
    }
}

void isButton::OnDestroy() noexcept {
    DestroyToolTipWindow();
    hook_.Remove();
    if (GetCapture() == Hwnd()) ReleaseCapture();
}

bool isButton::OnControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
        case WM_GETDLGCODE:
            // Left, Right and Space are the button's own; DLGC_BUTTON lets the dialog manager route access keys
            // here (as BM_CLICK).
            result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_BUTTON;
            return true;
        case WM_LBUTTONDOWN: OnPrimaryDown(false); return true;
        case WM_LBUTTONDBLCLK: OnPrimaryDown(core_.Fields().LastMouseButton == kPrimaryButton); return true;
        case WM_LBUTTONUP: OnPrimaryUp(at); return true;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: core_.MouseDown(kSecondaryButton); return true;
        case WM_RBUTTONUP:
            core_.MouseUp(kSecondaryButton);
            return false;  // on to DefWindowProc, which asks for a context menu
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: core_.MouseDown(kMiddleButton); return true;
        case WM_MBUTTONUP: core_.MouseUp(kMiddleButton); return true;
        case WM_CAPTURECHANGED:
            if (pressed_ && reinterpret_cast<HWND>(lParam) != Hwnd()) {
                // Someone else took the mouse mid-press: the press is over without a click.
                pressed_ = pressedByDouble_ = false;
                core_.Fields().ButtonState = core_.Fields().MouseInside ? kStateHover : kStateNormal;
                Refresh();
            }
            return true;
        case WM_KEYDOWN: core_.KeyDown(static_cast<int>(wParam)); return true;
        case WM_KEYUP: core_.KeyUp(static_cast<int>(wParam)); return true;
        case WM_CHAR:
            // A held Space repeats its character; one press is one click.
            if (!(wParam == VK_SPACE && (lParam & (1 << 30)))) core_.KeyPress(static_cast<int>(wParam));
            return true;
        case BM_CLICK: core_.AccessKeyPress(); return true;
        case kReaderClickMessage:
            // The button may have been disabled since the reader asked.
            if (core_.Props().Enabled && EnabledWithContainers()) core_.AccessKeyPress();
            return true;
        case WM_SETFOCUS: core_.GotFocus(); return true;
        case WM_KILLFOCUS: core_.LostFocus(); return true;
        case WM_SHOWWINDOW:
            if (wParam)
                core_.Show();
            else
                core_.Hide();
            return false;
        case WM_SETTEXT:
            result = DefWindowProcW(Hwnd(), msg, wParam, lParam);
            if (result && lParam) {
                const std::wstring text = reinterpret_cast<const wchar_t*>(lParam);
                if (text != core_.Props().Caption) core_.SetCaption(text);
            }
            return true;
        case WM_ENABLE:
            // EnableWindow from outside: the button's Enabled follows, and with it the look.
            if (Ready() && core_.Props().Enabled != (wParam != 0)) core_.SetEnabled(wParam != 0);
            return true;
        case WM_DESTROY: OnDestroy(); return false;
        default: return false;
    }
}

// ---- screen readers ----------------------------------------------------------------------------------------

std::optional<reader::Description> isButton::Describe(const reader::WindowFacts& facts) const {
    return button::DescribeForReader(core_, facts);
}

unsigned isButton::ReaderChangesFor(std::wstring_view property) const noexcept {
    return button::ReaderChangesFor(property);
}

HRESULT isButton::PostDefaultAction() noexcept {
    if (!core_.Props().Enabled || !EnabledWithContainers()) return E_ACCESSDENIED;
    return PostMessageW(Hwnd(), kReaderClickMessage, 0, 0) ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

// ---- operations --------------------------------------------------------------------------------------------

void isButton::About() noexcept {
    about_.Show(aboutStyle_, Version(), &isButton::OpenLink);
}

int isButton::OpenLink(const std::wstring& link) noexcept {
    return static_cast<int>(
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL)));
}
