// The button window itself: its creation, the persisted set passed through to the core, window messages turned
// into the core's input, a screen reader's default action, and the About box.
#include "isButton.h"

#include <shellapi.h>
#include <windowsx.h>

#include <memory>

#include "ButtonCanvas.h"
#include "controls/button/ButtonReader.h"
#include "winmsg/win/WindowText.h"

using namespace button;

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
    core_.Set(&ButtonProperties::Icon, icon ? std::make_shared<IconPicture>(icon) : nullptr);
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
                if (text != core_.Props().Caption) core_.Set(&ButtonProperties::Caption, text);
            }
            return true;
        case WM_ENABLE:
            // EnableWindow from outside: the button's Enabled follows, and with it the look.
            if (Ready() && core_.Props().Enabled != (wParam != 0)) core_.Set(&ButtonProperties::Enabled, wParam != 0);
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
    return ButtonCore::ReaderChangesFor(property);
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
