#pragma once
// The window side of our own controls: a child window that owns its control object (deleted when the window
// is destroyed), holds the control's site (ambient, extender, change notification) and drawing surface, copies
// the surface to the screen on WM_PAINT, and on creation either reads the instance's persisted set or
// initialises a new instance.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "winmsg/DpiScale.h"
#include "winmsg/win/BaseWindow.h"
#include "controls/host/ControlSite.h"
#include "DrawingSurface.h"
#include "winmsg/win/Handles.h"
#include "controls/host/PropertyBag.h"
#include "controls/host/ReaderDescription.h"

class ControlAccessible;

struct HostedControlArgs {
    HWND parent = nullptr;
    int id = 0;
    RECT rect{};                    // pixels, in the parent's client area
    std::wstring name;              // the instance's name on the container: extender Name and ambient DisplayName
    HFONT containerFont = nullptr;  // ambient font; null takes the system's GUI font
    const PropertyBag* persisted = nullptr;  // null: a newly placed instance
    bool userMode = true;
    bool displayAsDefault = false;
    std::wstring toolTipText;  // extender ToolTipText
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
};

class HostedControl : public BaseWindow {
public:
    // Creates the window for a control object; the window owns it from then on. Returns null on failure (the
    // object is deleted then).
    static HWND Create(std::unique_ptr<HostedControl> control, const wchar_t* className, const HostedControlArgs& args);
    // The control of a window made by Create, or null for any other window.
    static HostedControl* FromHwnd(HWND hwnd) noexcept;

    ControlSite& Site() noexcept { return site_; }
    [[nodiscard]] const ControlSite& Site() const noexcept { return site_; }
    DrawingSurface& Surface() noexcept { return surface_; }

    // Writes the control's persisted set (for tests and for tools that save a layout).
    virtual void WriteProperties(PropertyBag& bag) const = 0;
    // Reads a persisted set into a live control.
    virtual void ReadProperties(const PropertyBag& bag) = 0;

    // The container marks this control as its default button, or no longer does; the control hears of a change.
    void SetAmbientDisplayAsDefault(bool value) noexcept;

    // The DPI of the control's top-level window: taken from it when the control is made, then given by the
    // window when it moves to a screen of another scale. The control makes its fonts, shape and borders again at
    // the new DPI and repaints; its size is the window's to change (through WM_SIZE, as ever), after this call:
    // a button keeps a smallest size at its DPI, and a size for the new DPI met at the old one could be grown.
    void SetDpi(int dpi) noexcept;
    [[nodiscard]] int Dpi() const noexcept { return dpi_; }

    // What a screen reader hears of the control now, given the state the platform reports for the window; nothing
    // for a control that leaves it all to the platform.
    [[nodiscard]] std::optional<reader::Description> DescribeForReader(unsigned platformState) const;
    // A reader asks for the control's default action. It is posted, so the reader (often another process) is
    // answered at once, not after whatever the action sets going. DISP_E_MEMBERNOTFOUND: the control has none.
    HRESULT RequestDefaultAction() noexcept;
    // Enabling or disabling a container sends the controls inside it nothing, although readers hear them as
    // unavailable inside a disabled one: tells the readers of every control of ours inside `container`.
    static void AnnounceContainerEnabled(HWND container) noexcept;

    ~HostedControl() override;

protected:
    HostedControl() = default;

    // A newly placed instance: the control's own start values.
    virtual void InitProperties() = 0;
    // The container changed the control's size; the surface already has the new size.
    virtual void OnResize() {}
    // A paint request (WM_PAINT), before the surface is copied: a control that repaints on it draws here.
    virtual void OnPaintRequest() noexcept {}
    // The DPI changed; the surface's font is already made at the new one.
    virtual void OnDpiChanged() noexcept {}
    // An ambient property changed, by its name ("DisplayAsDefault"); the site already holds the new value.
    virtual void OnAmbientChanged(std::wstring_view) noexcept {}
    // Messages the host does not handle itself (input, focus, timers...). Return true when handled.
    virtual bool OnControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
    // Around all the window's handling of every message, for a control that hears some messages before or after
    // it: BeforeMessage may change the message or answer it (true, with `result`, and the handling is skipped);
    // AfterMessage sees the answer, unless the handling destroyed the window.
    virtual bool BeforeMessage(UINT&, WPARAM&, LPARAM&, LRESULT&) noexcept { return false; }
    virtual void AfterMessage(UINT, WPARAM, LPARAM, LRESULT&) noexcept {}
    // The control's answers to screen readers: its description (nothing: the platform's), what a change of the
    // property of that name tells them, and its default action (only posted here, see RequestDefaultAction).
    [[nodiscard]] virtual std::optional<reader::Description> Describe(const reader::WindowFacts&) const {
        return std::nullopt;
    }
    [[nodiscard]] virtual unsigned ReaderChangesFor(std::wstring_view) const noexcept { return reader::kNoChange; }
    virtual HRESULT PostDefaultAction() noexcept { return DISP_E_MEMBERNOTFOUND; }
    // Tells readers of changes (reader::Change bits) that come with no property notice, such as a check button's
    // click. A value is told only when it reads differently from the last one told.
    void AnnounceToReaders(unsigned changes) noexcept;
    // The window and every container around it up to the top-level window are enabled.
    [[nodiscard]] bool EnabledWithContainers() const noexcept;

    // Shows the surface now (one BitBlt), without waiting for WM_PAINT; paints nothing itself.
    void CopyToScreen() noexcept;
    // Gives the window this shape. The system owns a region it accepted; one it refused is deleted here.
    bool SetShape(UniqueRegion region) noexcept;
    // The window's own rectangle again, without a region.
    bool ClearShape() noexcept;
    // True once the control's properties are initialised or read.
    [[nodiscard]] bool Ready() const noexcept { return ready_; }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept final;

private:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnPaint() noexcept;
    void OnSize(int width, int height) noexcept;
    bool OnSetCursor() noexcept;
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam) noexcept;
    // The window is going: readers that still hold its object are cut off.
    void DisconnectReaders() noexcept;
    [[nodiscard]] std::optional<std::wstring> ReaderValue() const;

    ControlSite site_;
    DrawingSurface surface_;
    int dpi_ = kBaseDpi;
    bool ready_ = false;
    ControlAccessible* accessible_ = nullptr;  // one reference, from the first WM_GETOBJECT until WM_DESTROY
    std::optional<std::wstring> toldValue_;    // the value readers were last told of
};
