#pragma once
// The push button's data and behaviour without the platform: properties with their change rules, the
// persisted set, and the reactions to input. The window layer turns messages into calls here and carries out
// what the site is asked to do.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "ButtonTypes.h"
#include "controls/host/PropertyBag.h"
#include "controls/host/PropertySite.h"

namespace button {

inline constexpr const wchar_t* kVersion = L"3.4.0";

// A new button's values, but for the caption and the colours that its site gives (see InitProperties); the set's
// defaults stand in the property table.
struct ButtonProperties {
    std::int32_t Style = StyleEdge3D;
    std::wstring Caption;
    PictureRefPtr Icon;
    std::int32_t IconAlign = IconCenter;
    std::int32_t IconSize = 16;
    std::int32_t CaptionAlign = CaptionCenter;
    std::int32_t NonThemeStyle = 0;
    bool Enabled = true;
    bool ShowFocus = false;
    bool UseCustomColors = false;
    OleColor BackColor = 0;
    OleColor HighlightColor = 0;
    OleColor FontColor = 0;
    OleColor FontHighlightColor = 0;
    std::wstring ToolTipText;
    std::wstring ToolTipTitle;
    std::int32_t ToolTipIcon = 0;
    std::int32_t ToolTipType = 1;
    OleColor ToolTipBackColor = 0;
    OleColor ToolTipForeColor = 0;
    FontDesc Font{L"Verdana", 8.25, 400, false, false, false, 1};  // lives on the drawing surface
    std::int32_t ButtonType = ButtonPush;
    std::int16_t MousePointer = 0;  // lives on the drawing surface
    bool Value = false;
    OleColor MaskColor = 0;
    bool UseMaskColor = false;
};

// Run-time fields, never persisted.
struct ButtonFields {
    std::int32_t ButtonState = kStateNormal;
    bool HasFocus = false;
    bool IsShown = false;
    std::int32_t LastMouseButton = 0;
    bool MouseInside = false;
    bool CanTrackLeave = false;
    std::uint32_t CaptionFormat = dt::kCenter | dt::kVCenter | dt::kWordBreak;
    Rect ClientRect;
    Rect TextRect;
    // The surface's background colour; it survives between paints like any surface setting.
    OleColor SurfaceBackColor = SysColorRef(kSysButtonFace);
};

// What the container and the platform supply, and what the button asks of them besides the change notice; its
// system colours are those the button's stored colours are translated with.
class ButtonSite : public PropertySite {
public:
    // The plain colour of each system colour index: the platform's, or a test's fixed set.
    [[nodiscard]] virtual const SystemColors& Colors() const = 0;
    // A picture back from its persisted text; nullptr when the text holds none.
    virtual PictureRefPtr PictureFromText(std::wstring_view text) const = 0;
    virtual bool UserMode() const = 0;
    virtual bool DisplayAsDefault() const = 0;
    // The DPI the button draws at: its sizes, given at 96 DPI, are scaled to it.
    virtual int DisplayDpi() const = 0;
    // The font the drawing surface holds now: the container's, until the button has set its own.
    virtual FontDesc SurfaceFont() = 0;
    virtual std::wstring ExtenderName() const = 0;
    virtual std::wstring ExtenderToolTipText() const = 0;
    virtual void SetExtenderToolTipText(const std::wstring& text) = 0;

    virtual void ReLayout() = 0;
    virtual void Repaint() = 0;
    // A handler may destroy the window, and the control with it: false then, and the button touches nothing more.
    virtual bool RaiseClick() = 0;
    virtual bool RaiseMouseEnter() = 0;
    virtual void RaiseMouseLeave() = 0;
    virtual void TrackLeave() = 0;
    virtual void CreateToolTipWindow() = 0;   // from the current properties
    virtual void DestroyToolTipWindow() = 0;  // no-op without one
    virtual void MoveFocus(bool forward) = 0;
    virtual void EnableWindow(bool enabled) = 0;
    virtual void FontChanged() = 0;
    virtual void MousePointerChanged() = 0;
    virtual bool LeaveTrackingAvailable() const = 0;
    virtual void InstallHook() = 0;  // the after-messages on the button's own window
};

// Mouse button numbers as the container reports them.
inline constexpr int kPrimaryButton = 1;
inline constexpr int kSecondaryButton = 2;
inline constexpr int kMiddleButton = 4;

inline constexpr int kKeySpace = 32;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyRight = 39;

class ButtonCore {
public:
    explicit ButtonCore(ButtonSite& site) : site_(site) {}

    const ButtonProperties& Props() const { return props_; }
    ButtonFields& Fields() { return fields_; }
    const ButtonFields& Fields() const { return fields_; }
    ButtonSite& Site() const { return site_; }

    // Life cycle
    void InitProperties();  // first placement
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Stores one property, notifies its name, then redoes what the property needs (lay out, repaint, the
    // surface's font or pointer, the tooltip, the window's enabling), as the table in ButtonPropertyTable.cpp says.
    template <typename T>
    void Set(T ButtonProperties::*member, std::type_identity_t<T> value);

    // What a reader must be told when the property of that name changed.
    [[nodiscard]] static unsigned ReaderChangesFor(std::wstring_view property) noexcept;

    // Painting without a visual style: style 6 gives way to `NonThemeStyle`, with no notification.
    void FallBackFromTheme() { props_.Style = props_.NonThemeStyle; }

    // The icon size reads back as a 16-bit number.
    std::int16_t IconSize() const { return static_cast<std::int16_t>(props_.IconSize); }

    // Container notifications
    void MouseDown(int buttonNumber);
    void MouseUp(int buttonNumber);
    void ContainerClick();
    void DoubleClick();
    void KeyDown(int keyCode);
    void KeyUp(int keyCode);
    void KeyPress(int character);
    void AccessKeyPress();
    void GotFocus();
    void LostFocus();
    void Show();
    void Hide();
    void AmbientChanged(std::wstring_view name);

    // After-messages of the window hook
    void HookMouseMove();
    void HookMouseLeave();
    void HookRepaint();  // theme or system colours changed

    // Tooltip: the extender's text moves into the control while the button's own tooltip is up.
    void BuildToolTip();
    void RemoveToolTip();

    // Layout: client size in pixels at the site's DPI; the minimum side is enforced by the site before this runs.
    void Layout(int width, int height);

private:
    // False when the control went with its window during Click.
    bool ClickAction();
    void Changed(std::wstring_view name, unsigned redo);

    ButtonSite& site_;
    ButtonProperties props_;
    ButtonFields fields_;
    bool toolTipBuilt_ = false;
};

// Caption layout flags for a `CaptionAlign` value; other values keep `current`.
std::uint32_t CaptionFormatFor(std::int32_t captionAlign, std::uint32_t current);

// Smallest side in pixels: 300 twips at the given dots per inch.
int MinimumSidePixels(int dpi);

}  // namespace button
