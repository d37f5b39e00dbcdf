#pragma once
// Our own push button, hosted like any of our controls. Input arrives as window messages and goes to the
// portable ButtonCore; the hover look comes from a hook on the button's own window plus leave tracking; every
// change repaints the whole button on the drawing surface and shows it with one BitBlt. Clicks reach the parent
// as WM_COMMAND / BN_CLICKED with the control ID, and the window text always holds the caption, so the
// parent's handlers and automation see a button like any other.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "AboutPanel.h"
#include "controls/button/ButtonCore.h"
#include "ButtonWindowHook.h"
#include "controls/host/win/HostedControl.h"
#include "winmsg/win/ColorTranslate.h"
#include "controls/host/ShapeCache.h"

class isButton : public HostedControl, private button::ButtonSite, private IButtonHookClient {
public:
    static constexpr const wchar_t* kClassName = L"isButton";
    // Posted to itself for a screen reader's default action: a click, as the access key makes one. Clear of the
    // dialog manager's DM_* messages, which start at WM_USER.
    static constexpr UINT kReaderClickMessage = WM_USER + 0x100;

    // Creates a button window that owns its control; reads args.persisted when given, else a new instance.
    static HWND Create(const HostedControlArgs& args);
    // The button of a window made by Create, or null.
    static isButton* FromHwnd(HWND hwnd) noexcept;

    button::ButtonCore& Core() noexcept { return core_; }
    [[nodiscard]] const button::ButtonCore& Core() const noexcept { return core_; }

    // The owner's events, besides the WM_COMMAND that Click sends to the parent.
    std::function<void()> Click;
    std::function<void()> MouseEnter;
    std::function<void()> MouseLeave;

    void WriteProperties(PropertyBag& bag) const override;
    void ReadProperties(const PropertyBag& bag) override;

    // Paints the face and shows it now.
    void Refresh() noexcept;
    [[nodiscard]] static std::wstring Version() { return button::kVersion; }
    void About() noexcept;
    // Opens a link with the shell's "open" verb; returns the shell's result code.
    static int OpenLink(const std::wstring& link) noexcept;
    // The icon becomes the button's (it destroys it when replaced); null removes the icon.
    void SetIcon(HICON icon);

    [[nodiscard]] HWND ToolTipWindow() const noexcept { return toolTip_.Get(); }
    [[nodiscard]] const TOOLINFOW& ToolInfo() const noexcept { return toolInfo_; }
    [[nodiscard]] bool Hooked() const noexcept { return hook_.Installed(); }
    [[nodiscard]] const button::HookLists& HookMessages() const noexcept { return hook_.Lists(); }
    [[nodiscard]] DWORD AboutStyle() const noexcept { return aboutStyle_; }
    [[nodiscard]] HWND AboutWindow() const noexcept { return about_.Hwnd(); }

protected:
    void InitProperties() override;
    void OnResize() override;
    void OnAmbientChanged(std::wstring_view name) noexcept override { core_.AmbientChanged(name); }
    void OnDpiChanged() noexcept override;
    bool OnControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override;
    bool BeforeMessage(UINT& msg, WPARAM& wParam, LPARAM& lParam, LRESULT& result) noexcept override {
        return hook_.Before(Hwnd(), msg, wParam, lParam, result);
    }
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override {
        hook_.After(Hwnd(), msg, wParam, lParam, result);
    }
    [[nodiscard]] std::optional<reader::Description> Describe(const reader::WindowFacts& facts) const override;
    [[nodiscard]] unsigned ReaderChangesFor(std::wstring_view property) const noexcept override;
    HRESULT PostDefaultAction() noexcept override;

private:
    isButton() : core_(static_cast<button::ButtonSite&>(*this)) {}

    // ButtonSite (isButtonSite.cpp; painting and layout in isButtonPaint.cpp, leave tracking and the tooltip in
    // isButtonHover.cpp)
    const SystemColors& Colors() const override { return PlatformColors(); }
    button::PictureRefPtr PictureFromText(std::wstring_view text) const override;
    bool UserMode() const override { return Site().Ambient.UserMode; }
    bool DisplayAsDefault() const override { return Site().Ambient.DisplayAsDefault; }
    int DisplayDpi() const override { return Dpi(); }
    FontDesc SurfaceFont() override { return Surface().Font(); }
    std::wstring ExtenderName() const override { return Site().Extender.Name; }
    std::wstring ExtenderToolTipText() const override { return Site().Extender.ToolTipText; }
    void SetExtenderToolTipText(const std::wstring& text) override { Site().Extender.ToolTipText = text; }
    void PropertyChanged(std::wstring_view name) override;
    void ReLayout() override;
    void OnPaintRequest() noexcept override;
    // Paints the face on the surface; true when the themed style fell back to its plain one.
    bool Draw() noexcept;
    void AfterFallBack(bool fellBack);
    void Repaint() override { Refresh(); }
    bool RaiseClick() override;
    bool RaiseMouseEnter() override;
    void RaiseMouseLeave() override;
    void TrackLeave() override;
    void CreateToolTipWindow() override;
    void DestroyToolTipWindow() override;
    // The tooltip's font: the system's tooltip font at the button's DPI.
    void SetToolTipFont() noexcept;
    void MoveFocus(bool forward) override;
    void EnableWindow(bool enabled) override;
    void FontChanged() override;
    void MousePointerChanged() override;
    bool LeaveTrackingAvailable() const override;
    void InstallHook() override;

    // IButtonHookClient (isButtonHover.cpp)
    void zSubclass_Proc(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& lhWnd, UINT& uMsg, WPARAM& wParam,
                        LPARAM& lParam) noexcept override;

    void OnPrimaryDown(bool doubleClick) noexcept;
    void OnPrimaryUp(POINT at) noexcept;
    void OnDestroy() noexcept;
    void ApplyShape(int width, int height) noexcept;

    using TrackFunction = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

    button::ButtonCore core_;
    ButtonWindowHook hook_;
    DrawingSurface mask_;  // the hidden surface that colour-keys icons
    AboutPanel about_;
    DWORD aboutStyle_ = 0;
    UniqueFont toolTipFont_;  // the tooltip's while it is up at a DPI of its own; it deletes no font it is given
    UniqueWindow toolTip_;
    TOOLINFOW toolInfo_{};
    std::wstring toolText_;  // the tool record points into it
    mutable TrackFunction track_ = nullptr;
    bool pressed_ = false;          // the primary button went down here and the mouse is captured
    bool pressedByDouble_ = false;  // the second press of a double click: its release raises no Click
    bool painting_ = false;
    // The shape key of every style that is the whole window.
    static constexpr int kWholeWindow = -1;
    ShapeCache shape_ = ShapeCache::Holding(kWholeWindow, 0, 0, 0);
};
