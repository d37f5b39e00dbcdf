#pragma once
// The object a screen reader gets for one of our own controls (WM_GETOBJECT, OBJID_CLIENT). It is built on the
// platform's own object for the window, so location, focus, hit testing and navigation stay the platform's, and
// answers role, name, value, state, keyboard shortcut and default action from the control. The window lets go of
// it when it is destroyed: a client that still holds it then gets CO_E_OBJNOTCONNECTED, and a client in another
// process is cut off.

#include <windows.h>
#include <oleacc.h>

#include <optional>

#include "controls/host/ReaderDescription.h"

class HostedControl;

class ControlAccessible final : public IAccessible, public IOleWindow {
public:
    // A new object for the control's window with one reference for the caller, or null when the platform gives
    // no object of its own for the window.
    [[nodiscard]] static ControlAccessible* Create(HostedControl& control, HWND hwnd) noexcept;
    // The window is going: from now on every call fails as disconnected.
    void Disconnect() noexcept;

    ControlAccessible(const ControlAccessible&) = delete;
    ControlAccessible& operator=(const ControlAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: a reader calls the interface directly; late binding is not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* helpFile, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;
    // IOleWindow: lets a client find the window from the object, as the platform's own objects do.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;

private:
    ControlAccessible(HostedControl& control, HWND hwnd, IAccessible* standard) noexcept
        : control_(&control), hwnd_(hwnd), standard_(standard) {}
    ~ControlAccessible() = default;

    // The control's own answer for CHILDID_SELF, or the platform's (any other child, or a control without one).
    template <typename Own, typename Platform>
    HRESULT Answer(const VARIANT& child, Own&& own, Platform&& platform) noexcept;
    [[nodiscard]] std::optional<reader::Description> Describe() const;

    LONG refs_ = 1;
    HostedControl* control_;  // null once the window is gone
    HWND hwnd_;
    IAccessible* standard_;  // the platform's object for the window, one reference; null once disconnected
};
