#include "ControlTable.h"

#include <commctrl.h>

#include "controls/host/win/HostedControl.h"
#include "controls/host/win/LayoutResource.h"
#include "controls/progressbar/win/ProgressBar.h"
#include "winmsg/Utf8.h"
#include "winmsg/win/PlatformFont.h"
#include "winmsg/win/WindowText.h"
#include "controls/button/win/isButton.h"
#include "app/resource.h"

namespace {

constexpr UINT_PTR kEditSubclassId = 1;

UniqueFont MakeFont(const wchar_t* face, double points, int dpi, BYTE charset) {
    FontDesc font;
    font.Name = face;
    font.Size = points;
    font.Charset = charset;
    return CreatePlatformFont(font, dpi, FontRules::Control);
}

// Read once, when the window creates its first control of ours.
const LayoutSet& MainFormLayout() {
    static const LayoutSet layout = LoadLayoutResource(GetModuleHandleW(nullptr), IDR_MAINFORM_LAYOUT);
    return layout;
}

WindowArgs StandardControl(const wchar_t* className, const ControlSpec& entry, DWORD style, HWND parent,
                           const RECT& rect) {
    WindowArgs args;
    args.windowClass.name = className;
    args.text = entry.text;
    args.style = WS_CHILD | WS_VISIBLE | style;
    args.rect = rect;
    args.parent = parent;
    args.id = entry.id;
    return args;
}

}  // namespace

void ControlTable::Create(HWND form, int dpi, std::function<void()> onPasswordEnter) {
    form_ = form;
    dpi_ = dpi;
    onPasswordEnter_ = std::move(onPasswordEnter);
    fonts_ = MakeFonts(dpi_);

    for (const ControlSpec& entry : kControls) {
        HWND parent = entry.parent == kNone ? form_ : Ctl(entry.parent);
        HWND control = CreateControl(entry, parent, LayoutRect(entry));
        controls_[entry.id] = control;
        if (!control || entry.kind == ControlKind::PushButton || entry.kind == ControlKind::ProgressBar) continue;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.For(entry.font)), FALSE);
    }
    nicePressBar_ = ProgressBar::FromHwnd(Ctl(kNicePressBar));
    SendMessageW(Ctl(kPassword), EM_SETPASSWORDCHAR, L'*', 0);
    SetChecked(kUrlInitName, true);
    for (ControlId edit : {kPassword, kAlbumURLTxt})
        SetWindowSubclass(Ctl(edit), &ControlTable::EditSubclassProc, kEditSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
    Enable(kFrameAblum, false);
    Enable(kFrameMode, false);
}

void ControlTable::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    // The controls let go of the old fonts only when they have the new ones.
    Fonts fonts = MakeFonts(dpi_);
    for (const ControlSpec& entry : kControls) {
        HWND control = Ctl(entry.id);
        if (!control) continue;
        // Our own controls take the scale before the new size, which they judge against it (a button's smallest
        // size, say).
        if (HostedControl* own = HostedControl::FromHwnd(control)) {
            own->SetDpi(dpi_);
        } else {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.For(entry.font)), TRUE);
        }
        const RECT rect = LayoutRect(entry);
        SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fonts_ = std::move(fonts);
}

ControlTable::Fonts ControlTable::MakeFonts(int dpi) {
    return {MakeFont(L"微软雅黑", 9, dpi, GB2312_CHARSET), MakeFont(L"Courier New", 10.5, dpi, DEFAULT_CHARSET),
            MakeFont(L"宋体", 10.5, dpi, GB2312_CHARSET)};
}

HFONT ControlTable::Fonts::For(FontRole role) const noexcept {
    return role == FontRole::CourierNew ? courier.Get() : role == FontRole::SongTi ? song.Get() : window.Get();
}

RECT ControlTable::LayoutRect(const ControlSpec& entry) const noexcept {
    return {Twips(entry.left), Twips(entry.top), Twips(entry.left + entry.width), Twips(entry.top + entry.height)};
}

HWND ControlTable::CreateControl(const ControlSpec& entry, HWND parent, const RECT& rect) {
    switch (entry.kind) {
        case ControlKind::Frame:
        case ControlKind::Picture: return CreateGroup(entry, parent, rect);
        case ControlKind::Label: {
            // Labels start a group of their own so arrow keys in the radio group stop at them.
            // Some labels reach under the box beside them; they sit at the bottom and clip against their
            // siblings so their background never paints over a box's edge.
            DWORD style = WS_GROUP | WS_CLIPSIBLINGS | SS_LEFT | SS_NOPREFIX;
            if (entry.id == kCheckNewLable) style |= SS_NOTIFY;
            HWND label = CreateSystemWindow(StandardControl(L"STATIC", entry, style, parent, rect));
            if (label) SetWindowPos(label, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return label;
        }
        case ControlKind::Edit: {
            DWORD style = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
            if (entry.id == kPassword) style |= ES_PASSWORD;
            WindowArgs args = StandardControl(L"EDIT", entry, style, parent, rect);
            args.exStyle = WS_EX_CLIENTEDGE;
            return CreateSystemWindow(args);
        }
        case ControlKind::Check:
            return CreateSystemWindow(
                StandardControl(L"BUTTON", entry, WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, parent, rect));
        case ControlKind::Radio: {
            // The first radio opens the group and carries the tab stop; arrows move within the group.
            const DWORD style = BS_AUTORADIOBUTTON | (entry.id == kUrlInitName ? WS_GROUP | WS_TABSTOP : 0);
            return CreateSystemWindow(StandardControl(L"BUTTON", entry, style, parent, rect));
        }
        case ControlKind::PushButton:
        case ControlKind::ProgressBar: return CreateOurControl(entry, parent, rect);
    }
    return nullptr;
}

HWND ControlTable::CreateGroup(const ControlSpec& entry, HWND parent, const RECT& rect) {
    auto container = std::make_unique<GroupContainer>();
    HWND hwnd =
        container->CreateGroup(parent, entry.id, entry.text, rect, entry.kind == ControlKind::Frame, fonts_.window.Get());
    containers_.push_back(std::move(container));
    return hwnd;
}

HWND ControlTable::CreateOurControl(const ControlSpec& entry, HWND parent, const RECT& rect) {
    HostedControlArgs args;
    args.parent = parent;
    args.id = entry.id;
    args.rect = rect;
    args.name = Utf8ToWide(entry.name);
    args.containerFont = fonts_.window.Get();
    const PropertyBag* saved = MainFormLayout().Find(args.name);
    if (entry.kind == ControlKind::ProgressBar) {
        // A control of the window always has its set in the layout; a missing block means every default.
        static const PropertyBag kEmpty;
        args.persisted = saved ? saved : &kEmpty;
        return ProgressBar::Create(args);
    }
    args.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
    // Enter logs in (from the password box, where it is typed): the window's default button, as readers hear it.
    // Style 8 draws no default look, so the button looks as it did.
    args.displayAsDefault = entry.id == kNBtnLogin;
    // Caption, style and font come from the layout; a missing block still gives a working button.
    PropertyBag fallback;
    if (!saved) {
        fallback.WriteText(L"Caption", entry.text);
        saved = &fallback;
    }
    args.persisted = saved;
    return isButton::Create(args);
}

HWND ControlTable::Ctl(ControlId id) const {
    return id > 0 && id < static_cast<int>(controls_.size()) ? controls_[id] : nullptr;
}

std::wstring ControlTable::Text(ControlId id) const {
    return WindowText(Ctl(id));
}

void ControlTable::SetText(ControlId id, const std::wstring& text) {
    if (HWND hwnd = Ctl(id)) SetWindowTextW(hwnd, text.c_str());
}

void ControlTable::Enable(ControlId id, bool enabled) {
    if (HWND hwnd = Ctl(id)) EnableWindow(hwnd, enabled);
}

void ControlTable::Focus(ControlId id) {
    HWND hwnd = Ctl(id);
    // A control inside a disabled group cannot take the focus; the step is skipped, as it would fail.
    if (!hwnd || !IsWindowVisible(form_)) return;
    for (HWND w = hwnd; w && w != form_; w = GetParent(w))
        if (!IsWindowEnabled(w)) return;
    SetFocus(hwnd);
    lastFocus_ = hwnd;
}

bool ControlTable::IsChecked(ControlId id) const {
    return SendMessageW(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ControlTable::SetChecked(ControlId id, bool checked) {
    SendMessageW(Ctl(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ControlTable::RememberFocus() {
    HWND focus = GetFocus();
    if (focus && IsChild(form_, focus)) lastFocus_ = focus;
}

void ControlTable::RestoreFocus() {
    if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) SetFocus(lastFocus_);
}

LRESULT CALLBACK ControlTable::EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<ControlTable*>(refData);
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
                if (self->onPasswordEnter_) self->onPasswordEnter_();
                if (!IsWindow(hwnd)) return 0;
            }
            break;
        case WM_LBUTTONDBLCLK:
            if (id == kAlbumURLTxt) SetWindowTextW(hwnd, L"");
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &ControlTable::EditSubclassProc, kEditSubclassId); break;
        default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}
