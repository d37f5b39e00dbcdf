#include "HostedControl.h"

#include <windowsx.h>

#include <new>
#include <utility>

#include "ControlAccessible.h"
#include "winmsg/win/Dpi.h"

namespace {

// The platform's standard cursors in the numbering controls use for their mouse pointer.
LPCWSTR StandardCursor(int pointer) noexcept {
    switch (pointer) {
        case 1: return IDC_ARROW;
        case 2: return IDC_CROSS;
        case 3: return IDC_IBEAM;
        case 4: return IDC_ARROW;
        case 5: return IDC_SIZEALL;
        case 6: return IDC_SIZENESW;
        case 7: return IDC_SIZENS;
        case 8: return IDC_SIZENWSE;
        case 9: return IDC_SIZEWE;
        case 10: return IDC_UPARROW;
        case 11: return IDC_WAIT;
        case 12: return IDC_NO;
        case 13: return IDC_APPSTARTING;
        case 14: return IDC_HELP;
        case 15: return IDC_SIZEALL;
        default: return nullptr;
    }
}

}  // namespace

HWND HostedControl::Create(std::unique_ptr<HostedControl> control, const wchar_t* className,
                           const HostedControlArgs& args) {
    if (!control) return nullptr;
    HostedControl& self = *control;
    // The DPI first: the container's font was made at its window's, and every font of ours is made at it.
    self.dpi_ = WindowDpi(GetAncestor(args.parent, GA_ROOT));
    self.surface_.SetDpi(self.dpi_);
    self.site_.Ambient.UserMode = args.userMode;
    self.site_.Ambient.DisplayAsDefault = args.displayAsDefault;
    self.site_.Ambient.DisplayName = args.name;
    // The stock font is made at the session's DPI, whatever the window's.
    self.site_.Ambient.Font = args.containerFont
                                  ? DescribeFont(args.containerFont, self.dpi_)
                                  : DescribeFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), SystemDpi());
    self.site_.Extender.Name = args.name;
    self.site_.Extender.ToolTipText = args.toolTipText;
    self.surface_.SetBackColor(TranslateColor(self.site_.Ambient.BackColor));
    self.surface_.SetForeColor(TranslateColor(self.site_.Ambient.ForeColor));
    self.surface_.SetFont(self.site_.Ambient.Font);

    WindowArgs window;
    window.windowClass.name = className;
    window.windowClass.style = CS_DBLCLKS;
    window.text = args.name.c_str();
    window.style = args.style;
    window.exStyle = args.exStyle;
    window.rect = args.rect;
    window.parent = args.parent;
    window.id = args.id;
    HWND hwnd = self.BaseWindow::Create(window);
    if (!hwnd) return nullptr;  // the object goes with `control`
    self.GiveToWindow();
    control.release();

    RECT client{};
    GetClientRect(hwnd, &client);
    self.surface_.Resize(client.right, client.bottom);
    if (args.persisted)
        self.ReadProperties(*args.persisted);
    else
        self.InitProperties();
    self.ready_ = true;
    self.OnResize();
    // Readers hear of changes through the same notice by property name that the container hears.
    self.toldValue_ = self.ReaderValue();
    self.site_.Subscribe([&self](std::wstring_view name) { self.AnnounceToReaders(self.ReaderChangesFor(name)); });
    return hwnd;
}

HostedControl::~HostedControl() {
    DisconnectReaders();
}

HostedControl* HostedControl::FromHwnd(HWND hwnd) noexcept {
    return dynamic_cast<HostedControl*>(BaseWindow::FromHwnd(hwnd));
}

void HostedControl::SetAmbientDisplayAsDefault(bool value) noexcept {
    if (site_.Ambient.DisplayAsDefault == value) return;
    site_.Ambient.DisplayAsDefault = value;
    if (ready_) OnAmbientChanged(L"DisplayAsDefault");
}

void HostedControl::SetDpi(int dpi) noexcept {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    surface_.SetDpi(dpi);
    if (ready_) OnDpiChanged();
}

bool HostedControl::OnControlMessage(UINT, WPARAM, LPARAM, LRESULT&) noexcept {
    return false;
}

// ---- screen readers ----------------------------------------------------------------------------------------

std::optional<reader::Description> HostedControl::DescribeForReader(unsigned platformState) const {
    if (!Hwnd()) return std::nullopt;
    reader::WindowFacts facts;
    facts.available = EnabledWithContainers();
    facts.focused = GetFocus() == Hwnd();
    facts.platformState = platformState;
    return Describe(facts);
}

HRESULT HostedControl::RequestDefaultAction() noexcept {
    return Hwnd() ? PostDefaultAction() : CO_E_OBJNOTCONNECTED;
}

bool HostedControl::EnabledWithContainers() const noexcept {
    for (HWND w = Hwnd(); w && (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD); w = GetParent(w))
        if (!IsWindowEnabled(w)) return false;
    return Hwnd() != nullptr;
}

void HostedControl::AnnounceContainerEnabled(HWND container) noexcept {
    // Every descendant, not only the direct children: a container may hold another.
    EnumChildWindows(
        container,
        [](HWND child, LPARAM) -> BOOL {
            if (HostedControl* control = FromHwnd(child)) control->AnnounceToReaders(reader::kStateChange);
            return TRUE;
        },
        0);
}

std::optional<std::wstring> HostedControl::ReaderValue() const {
    const auto description = DescribeForReader(0);
    return description ? description->value : std::nullopt;
}

void HostedControl::AnnounceToReaders(unsigned changes) noexcept {
    if (!Hwnd() || !ready_ || changes == reader::kNoChange) return;
    if (changes & reader::kValueChange) {
        // The bar is set on every tick of a run: readers hear of the value only when it reads differently.
        try {
            auto value = ReaderValue();
            if (value == toldValue_)
                changes &= ~reader::kValueChange;
            else
                toldValue_ = std::move(value);
        } catch (const std::bad_alloc&) {
            // Told anyway: a reader that asks again reads the new value.
        }
    }
    if (changes & reader::kNameChange) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (changes & reader::kStateChange) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (changes & reader::kValueChange) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

LRESULT HostedControl::OnGetObject(WPARAM wParam, LPARAM lParam) noexcept {
    // The object id arrives as a 32-bit value: on 64-bit, lParam holds it without sign extension.
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT) || !ready_)
        return DefWindowProcW(Hwnd(), WM_GETOBJECT, wParam, lParam);
    if (!accessible_) accessible_ = ControlAccessible::Create(*this, Hwnd());
    if (!accessible_) return DefWindowProcW(Hwnd(), WM_GETOBJECT, wParam, lParam);
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(accessible_));
    // Without COM on this thread the object cannot be handed over: the platform's own object is better than none.
    return FAILED(static_cast<HRESULT>(result)) ? DefWindowProcW(Hwnd(), WM_GETOBJECT, wParam, lParam) : result;
}

void HostedControl::DisconnectReaders() noexcept {
    ControlAccessible* accessible = std::exchange(accessible_, nullptr);
    if (!accessible) return;
    accessible->Disconnect();
    accessible->Release();
}

void HostedControl::CopyToScreen() noexcept {
    // Hidden (or under a hidden window, as while the main window builds its controls), the copy would land
    // nowhere; showing the window asks for a paint, which copies the surface then.
    if (!Hwnd() || !IsWindowVisible(Hwnd())) return;
    WindowDC dc(Hwnd());
    if (dc.Get()) surface_.CopyTo(dc.Get());
    ValidateRect(Hwnd(), nullptr);
}

bool HostedControl::SetShape(UniqueRegion region) noexcept {
    if (!Hwnd() || !region || !SetWindowRgn(Hwnd(), region.Get(), TRUE)) return false;
    region.Release();
    return true;
}

bool HostedControl::ClearShape() noexcept {
    return Hwnd() && SetWindowRgn(Hwnd(), nullptr, TRUE);
}

LRESULT HostedControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    const HWND hwnd = Hwnd();
    LRESULT result = 0;
    if (!BeforeMessage(msg, wParam, lParam, result)) result = Handle(msg, wParam, lParam);
    // The handling may have destroyed the window, and this object with it.
    if (IsWindow(hwnd)) AfterMessage(msg, wParam, lParam, result);
    return result;
}

LRESULT HostedControl::Handle(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    if (OnControlMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_PRINTCLIENT: surface_.CopyTo(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_ERASEBKGND: return 1;  // the surface covers every pixel; erasing first would flicker
        case WM_SIZE: OnSize(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
        case WM_GETOBJECT: return OnGetObject(wParam, lParam);
        case WM_DESTROY: DisconnectReaders(); return DefWindowProcW(Hwnd(), msg, wParam, lParam);
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
            return DefWindowProcW(Hwnd(), msg, wParam, lParam);
        default: return DefWindowProcW(Hwnd(), msg, wParam, lParam);
    }
}

void HostedControl::OnPaint() noexcept {
    OnPaintRequest();
    PaintDC paint(Hwnd());
    if (paint.Get()) surface_.CopyTo(paint.Get());
}

void HostedControl::OnSize(int width, int height) noexcept {
    if (width == surface_.ScaleWidth() && height == surface_.ScaleHeight()) return;
    surface_.Resize(width, height);
    if (ready_) OnResize();
}

bool HostedControl::OnSetCursor() noexcept {
    LPCWSTR cursor = StandardCursor(surface_.MousePointer());
    if (!cursor) return false;
    SetCursor(LoadCursorW(nullptr, cursor));
    return true;
}
