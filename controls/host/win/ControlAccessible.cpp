#include "ControlAccessible.h"

#include <new>
#include <utility>
#include <string>

#include "HostedControl.h"

namespace {

bool IsSelf(const VARIANT& child) noexcept {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// An empty text is no text: S_FALSE with no string, as the platform's objects answer.
HRESULT ToBstr(const std::wstring& text, BSTR* out) noexcept {
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ToLong(long value, VARIANT* out) noexcept {
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

}  // namespace

ControlAccessible* ControlAccessible::Create(HostedControl& control, HWND hwnd) noexcept {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard))) ||
        !standard)
        return nullptr;
    auto* object = new (std::nothrow) ControlAccessible(control, hwnd, standard);
    if (!object) standard->Release();
    return object;
}

void ControlAccessible::Disconnect() noexcept {
    control_ = nullptr;
    if (IAccessible* standard = std::exchange(standard_, nullptr)) standard->Release();
    // Clients in other processes hold it through COM's stubs: cut them off now, not when they let go.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

std::optional<reader::Description> ControlAccessible::Describe() const {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT state{};
    unsigned platformState = 0;
    if (SUCCEEDED(standard_->get_accState(self, &state)) && state.vt == VT_I4)
        platformState = static_cast<unsigned>(state.lVal);
    return control_->DescribeForReader(platformState);
}

template <typename Own, typename Platform>
HRESULT ControlAccessible::Answer(const VARIANT& child, Own&& own, Platform&& platform) noexcept {
    if (!control_ || !standard_) return CO_E_OBJNOTCONNECTED;
    if (IsSelf(child)) {
        try {
            if (const auto description = Describe()) return own(*description);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    return platform();
}

// ---- IUnknown, IDispatch, IOleWindow ------------------------------------------------------------------------

HRESULT ControlAccessible::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
    } else if (riid == __uuidof(IOleWindow)) {
        *object = static_cast<IOleWindow*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ControlAccessible::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG ControlAccessible::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
        if (standard_) standard_->Release();
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT ControlAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ControlAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT ControlAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT ControlAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT ControlAccessible::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = control_ ? hwnd_ : nullptr;
    return control_ ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// ---- what the control answers itself ----------------------------------------------------------------------

HRESULT ControlAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    return Answer(
        child, [&](const reader::Description& d) { return ToBstr(d.name, name); },
        [&] { return standard_->get_accName(child, name); });
}

HRESULT ControlAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return Answer(
        child, [&](const reader::Description& d) { return d.value ? ToBstr(*d.value, value) : S_FALSE; },
        [&] { return standard_->get_accValue(child, value); });
}

HRESULT ControlAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    VariantInit(role);
    return Answer(
        child, [&](const reader::Description& d) { return ToLong(d.role, role); },
        [&] { return standard_->get_accRole(child, role); });
}

HRESULT ControlAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    VariantInit(state);
    return Answer(
        child, [&](const reader::Description& d) { return ToLong(static_cast<long>(d.state), state); },
        [&] { return standard_->get_accState(child, state); });
}

HRESULT ControlAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    return Answer(
        child, [&](const reader::Description& d) { return ToBstr(d.keyboardShortcut, shortcut); },
        [&] { return standard_->get_accKeyboardShortcut(child, shortcut); });
}

HRESULT ControlAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    return Answer(
        child, [&](const reader::Description& d) { return ToBstr(d.defaultAction, action); },
        [&] { return standard_->get_accDefaultAction(child, action); });
}

HRESULT ControlAccessible::accDoDefaultAction(VARIANT child) {
    return Answer(
        child, [&](const reader::Description&) { return control_->RequestDefaultAction(); },
        [&] { return standard_->accDoDefaultAction(child); });
}

// ---- the platform's answers -------------------------------------------------------------------------------

HRESULT ControlAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return standard_ ? standard_->get_accParent(parent) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return standard_ ? standard_->get_accChildCount(count) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    return standard_ ? standard_->get_accChild(child, dispatch) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (!description) return E_POINTER;
    *description = nullptr;
    return standard_ ? standard_->get_accDescription(child, description) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::get_accHelp(VARIANT child, BSTR* help) {
    if (!help) return E_POINTER;
    *help = nullptr;
    return standard_ ? standard_->get_accHelp(child, help) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::get_accHelpTopic(BSTR* helpFile, VARIANT child, long* topic) {
    if (!helpFile || !topic) return E_POINTER;
    *helpFile = nullptr;
    *topic = 0;
    return standard_ ? standard_->get_accHelpTopic(helpFile, child, topic) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::get_accFocus(VARIANT* focus) {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    return standard_ ? standard_->get_accFocus(focus) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::get_accSelection(VARIANT* selection) {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    return standard_ ? standard_->get_accSelection(selection) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::accSelect(long flags, VARIANT child) {
    return standard_ ? standard_->accSelect(flags, child) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    return standard_ ? standard_->accLocation(left, top, width, height, child) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    VariantInit(end);
    return standard_ ? standard_->accNavigate(direction, start, end) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (!child) return E_POINTER;
    VariantInit(child);
    return standard_ ? standard_->accHitTest(x, y, child) : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::put_accName(VARIANT, BSTR) {
    return standard_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
}

HRESULT ControlAccessible::put_accValue(VARIANT, BSTR) {
    return standard_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
}
