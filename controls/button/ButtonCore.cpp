#include "ButtonCore.h"

#include <optional>
#include <utility>

namespace button {

namespace {

constexpr Colour kDefaultMaskColor = 12632256;  // 192, 192, 192

// Entry text of an icon that is not there; pictures are not kept in layout text.
constexpr const wchar_t* kNoPicture = L"Nothing";

// A value that does not parse leaves the property as it was.
template <typename T>
void Assign(T& target, const std::optional<T>& value) {
    if (value) target = *value;
}

}  // namespace

std::uint32_t CaptionFormatFor(std::int32_t captionAlign, std::uint32_t current) {
    switch (captionAlign) {
        case CaptionCenter: return dt::kCenter | dt::kVCenter | dt::kSingleLine;
        case CaptionLeft: return dt::kLeft | dt::kVCenter | dt::kSingleLine;
        case CaptionRight: return dt::kRight | dt::kVCenter | dt::kSingleLine;
        case CaptionTop: return dt::kCenter | dt::kSingleLine;
        case CaptionBottom: return dt::kCenter | dt::kBottom | dt::kSingleLine;
        default: return current;
    }
}

int MinimumSidePixels(int dpi) {
    return static_cast<int>(Nearest(300.0 * dpi / 1440.0));
}

void ButtonCore::InitProperties() {
    props_ = ButtonProperties{};
    props_.Style = StyleEdge3D;
    props_.Caption = site_.ExtenderName();
    props_.IconSize = 16;
    props_.Enabled = true;
    props_.BackColor = site_.SysColour(kSysButtonFace);
    props_.HighlightColor = site_.SysColour(kSysHighlight);
    props_.FontColor = site_.SysColour(kSysButtonText);
    props_.FontHighlightColor = site_.SysColour(kSysButtonText);
    props_.ToolTipType = 1;
    props_.Font = ButtonProperties{}.Font;
    fields_.CaptionFormat = dt::kCenter | dt::kVCenter | dt::kWordBreak;
}

void ButtonCore::WriteProperties(PropertyBag& bag) const {
    // The set is written whole: an entry left from an earlier set would read back as a value the button lost.
    bag.Clear();
    const std::wstring icon = props_.Icon ? props_.Icon->PersistedText() : std::wstring();
    bag.WriteRaw(L"Icon", icon.empty() ? kNoPicture : icon);
    bag.WriteInt(L"Style", props_.Style, 3);
    bag.WriteText(L"Caption", props_.Caption, L"");
    bag.WriteInt(L"IconSize", props_.IconSize, 16);
    bag.WriteInt(L"IconAlign", props_.IconAlign, 1);
    bag.WriteInt(L"CaptionAlign", props_.CaptionAlign, 0);
    bag.WriteInt(L"iNonThemeStyle", props_.NonThemeStyle, 5);
    bag.WriteBool(L"Enabled", props_.Enabled, true);
    bag.WriteBool(L"ShowFocus", props_.ShowFocus, false);
    bag.WriteBool(L"USeCustomColors", props_.UseCustomColors, false);
    bag.WriteColor(L"BackColor", props_.BackColor, site_.SysColour(kSysButtonFace));
    bag.WriteColor(L"HighlightColor", props_.HighlightColor, site_.SysColour(kSysHighlight));
    bag.WriteColor(L"FontColor", props_.FontColor, site_.SysColour(kSysButtonText));
    bag.WriteColor(L"FontHighlightColor", props_.FontHighlightColor, site_.SysColour(kSysButtonText));
    bag.WriteText(L"ToolTipText", props_.ToolTipText, site_.ExtenderToolTipText());
    bag.WriteText(L"Tooltiptitle", props_.ToolTipTitle);
    bag.WriteInt(L"ToolTipIcon", props_.ToolTipIcon);
    bag.WriteInt(L"ToolTipType", props_.ToolTipType);
    // The two tooltip colours default to each other's system colour; the set has always been written so.
    bag.WriteColor(L"ttBackColor", props_.ToolTipBackColor, site_.SysColour(kSysInfoText));
    bag.WriteColor(L"ttForeColor", props_.ToolTipForeColor, site_.SysColour(kSysInfoBackground));
    bag.WriteFont(L"Font", props_.Font);
    bag.WriteInt(L"ButtonType", props_.ButtonType, 0);
    bag.WriteBool(L"Value", props_.Value, false);
    bag.WriteColor(L"MaskColor", props_.MaskColor, kDefaultMaskColor);
    bag.WriteBool(L"UseMaskColor", props_.UseMaskColor, false);
    bag.WriteInt(L"MousePointer", props_.MousePointer, 0);
}

void ButtonCore::ReadProperties(const PropertyBag& bag) {
    fields_.ButtonState = kStateNormal;
    const std::wstring* icon = bag.Raw(L"Icon");
    props_.Icon = icon && *icon != kNoPicture ? site_.PictureFromText(*icon) : nullptr;
    Assign(props_.Style, bag.ReadInt(L"Style", 3));
    Assign(props_.Caption, bag.ReadText(L"Caption", L""));
    Assign(props_.IconSize, bag.ReadInt(L"IconSize", 16));
    Assign(props_.CaptionAlign, bag.ReadInt(L"CaptionAlign", 0));
    Assign(props_.IconAlign, bag.ReadInt(L"IconAlign", 1));
    Assign(props_.NonThemeStyle, bag.ReadInt(L"iNonThemeStyle", 5));
    Assign(props_.Enabled, bag.ReadBool(L"Enabled", true));
    Assign(props_.ShowFocus, bag.ReadBool(L"ShowFocus", false));
    Assign(props_.UseCustomColors, bag.ReadBool(L"USeCustomColors", false));
    Assign(props_.BackColor, bag.ReadColor(L"BackColor", site_.SysColour(kSysButtonFace)));
    Assign(props_.HighlightColor, bag.ReadColor(L"HighlightColor", site_.SysColour(kSysHighlight)));
    Assign(props_.FontColor, bag.ReadColor(L"FontColor", site_.SysColour(kSysButtonText)));
    Assign(props_.FontHighlightColor, bag.ReadColor(L"FontHighlightColor", site_.SysColour(kSysButtonText)));
    // The stored text goes to the extender, which owns the container's tooltip; the control keeps its copy.
    if (auto text = bag.ReadText(L"ToolTipText", props_.ToolTipText)) site_.SetExtenderToolTipText(*text);
    Assign(props_.ToolTipText, bag.ReadText(L"ToolTipText", L""));
    Assign(props_.ToolTipTitle, bag.ReadText(L"Tooltiptitle", L""));
    Assign(props_.ToolTipIcon, bag.ReadInt(L"ToolTipIcon", 0));
    Assign(props_.ToolTipType, bag.ReadInt(L"ToolTipType", 1));
    Assign(props_.ToolTipBackColor, bag.ReadColor(L"ttBackColor", site_.SysColour(kSysInfoText)));
    Assign(props_.ToolTipForeColor, bag.ReadColor(L"ttForeColor", site_.SysColour(kSysInfoBackground)));
    Assign(props_.Font, bag.ReadFont(L"Font", site_.SurfaceFont()));
    Assign(props_.ButtonType, bag.ReadInt(L"ButtonType", 0));
    Assign(props_.Value, bag.ReadBool(L"Value", false));
    Assign(props_.UseMaskColor, bag.ReadBool(L"UseMaskColor", false));
    Assign(props_.MaskColor, bag.ReadColor(L"MaskColor", kDefaultMaskColor));
    std::int32_t pointer = props_.MousePointer;
    Assign(pointer, bag.ReadInt(L"MousePointer", 0));
    props_.MousePointer = static_cast<std::int16_t>(pointer);

    site_.FontChanged();
    site_.MousePointerChanged();
    // A stored "Enabled" false must also keep input away from the window, not only change the look.
    site_.EnableWindow(props_.Enabled);

    if (site_.UserMode()) {
        fields_.CanTrackLeave = site_.LeaveTrackingAvailable();
        if (fields_.CanTrackLeave) site_.InstallHook();
    }
}

void ButtonCore::Changed(std::wstring_view name, bool relayout) {
    site_.PropertyChanged(name);
    if (relayout)
        site_.ReLayout();
    else
        site_.Repaint();
}

void ButtonCore::SetStyle(std::int32_t v) {
    props_.Style = v;
    Changed(L"Style", true);
}
void ButtonCore::SetCaption(const std::wstring& v) {
    props_.Caption = v;
    Changed(L"Caption", true);
}
void ButtonCore::SetIcon(PicturePtr v) {
    props_.Icon = std::move(v);
    Changed(L"Icon", true);
}
void ButtonCore::SetIconAlign(std::int32_t v) {
    props_.IconAlign = v;
    Changed(L"IconAlign", true);
}
void ButtonCore::SetIconSize(std::int32_t v) {
    props_.IconSize = v;
    Changed(L"IconSize", true);
}
void ButtonCore::SetCaptionAlign(std::int32_t v) {
    props_.CaptionAlign = v;
    Changed(L"CaptionAlign", true);
}
void ButtonCore::SetNonThemeStyle(std::int32_t v) {
    props_.NonThemeStyle = v;
    Changed(L"NonThemeStyle", true);
}
void ButtonCore::SetEnabled(bool v) {
    props_.Enabled = v;
    site_.PropertyChanged(L"Enabled");
    fields_.ButtonState = kStateNormal;
    site_.Repaint();
    site_.EnableWindow(v);
}
void ButtonCore::SetShowFocus(bool v) {
    props_.ShowFocus = v;
    Changed(L"ShowFocus", false);
}
void ButtonCore::SetUseCustomColors(bool v) {
    props_.UseCustomColors = v;
    Changed(L"UseCustomColors", false);
}
void ButtonCore::SetBackColor(Colour v) {
    props_.BackColor = v;
    Changed(L"BackColor", false);
}
void ButtonCore::SetHighlightColor(Colour v) {
    props_.HighlightColor = v;
    Changed(L"HighlightColor", false);
}
void ButtonCore::SetFontColor(Colour v) {
    props_.FontColor = v;
    Changed(L"FontColor", false);
}
void ButtonCore::SetFontHighlightColor(Colour v) {
    props_.FontHighlightColor = v;
    Changed(L"FontHighlightColor", false);
}
void ButtonCore::SetToolTipText(const std::wstring& v) {
    props_.ToolTipText = v;
    // Building the tooltip takes the extender's text; without this the new text would be lost right away.
    site_.SetExtenderToolTipText(v);
    site_.PropertyChanged(L"ToolTipText");
    if (site_.UserMode()) BuildToolTip();
    site_.Repaint();
}
void ButtonCore::SetToolTipTitle(const std::wstring& v) {
    props_.ToolTipTitle = v;
    Changed(L"TooltipTitle", false);
}
void ButtonCore::SetToolTipIcon(std::int32_t v) {
    props_.ToolTipIcon = v;
    Changed(L"TooltipIcon", false);
}
void ButtonCore::SetToolTipType(std::int32_t v) {
    props_.ToolTipType = v;
    Changed(L"ToolTipType", false);
}
void ButtonCore::SetToolTipBackColor(Colour v) {
    props_.ToolTipBackColor = v;
    Changed(L"ToolTipBackColor", false);
}
void ButtonCore::SetToolTipForeColor(Colour v) {
    props_.ToolTipForeColor = v;
    Changed(L"ToolTipForeColor", false);
}
void ButtonCore::SetFont(const FontDesc& v) {
    props_.Font = v;
    site_.PropertyChanged(L"Font");
    site_.FontChanged();
    site_.Repaint();
}
void ButtonCore::SetButtonType(std::int32_t v) {
    props_.ButtonType = v;
    Changed(L"ButtonType", false);
}
void ButtonCore::SetMousePointer(std::int16_t v) {
    props_.MousePointer = v;
    site_.PropertyChanged(L"MousePointer");
    site_.MousePointerChanged();
}
void ButtonCore::SetValue(bool v) {
    props_.Value = v;
    Changed(L"Value", false);
}
void ButtonCore::SetMaskColor(Colour v) {
    props_.MaskColor = v;
    Changed(L"MaskColor", false);
}
void ButtonCore::SetUseMaskColor(bool v) {
    props_.UseMaskColor = v;
    Changed(L"UseMaskColor", false);
}

void ButtonCore::MouseDown(int buttonNumber) {
    if (buttonNumber != kPrimaryButton) return;
    fields_.ButtonState = kStatePressed;
    site_.Repaint();
}

void ButtonCore::MouseUp(int buttonNumber) {
    if (buttonNumber == kPrimaryButton) {
        fields_.ButtonState = (props_.ButtonType == ButtonCheck && !props_.Value) ? kStatePressed : kStateHover;
        site_.Repaint();
    }
    fields_.LastMouseButton = buttonNumber;
}

void ButtonCore::ContainerClick() {
    if (fields_.LastMouseButton == kPrimaryButton) ClickAction();
}

void ButtonCore::DoubleClick() {
    if (fields_.LastMouseButton == kPrimaryButton) MouseDown(kPrimaryButton);
}

void ButtonCore::KeyDown(int keyCode) {
    switch (keyCode) {
        case kKeySpace: MouseDown(kPrimaryButton); break;
        case kKeyRight: site_.MoveFocus(true); break;
        case kKeyLeft: site_.MoveFocus(false); break;
        default: break;
    }
}

void ButtonCore::KeyUp(int keyCode) {
    if (keyCode == kKeySpace) MouseUp(kPrimaryButton);
}

void ButtonCore::KeyPress(int character) {
    if (character == kKeySpace) ClickAction();
}

void ButtonCore::AccessKeyPress() {
    // An access key is a click from the keyboard: it must not depend on which mouse button was released last,
    // or the key would do nothing after a right click, or before the first click with the mouse.
    if (ClickAction()) fields_.ButtonState = kStateNormal;
}

void ButtonCore::GotFocus() {
    fields_.HasFocus = true;
    site_.Repaint();
}

void ButtonCore::LostFocus() {
    fields_.HasFocus = false;
    site_.Repaint();
}

void ButtonCore::Show() {
    fields_.IsShown = true;
    site_.Repaint();
}

void ButtonCore::Hide() {
    fields_.IsShown = false;
    site_.SetExtenderToolTipText(props_.ToolTipText);
}

void ButtonCore::AmbientChanged(std::wstring_view name) {
    if (name == L"DisplayAsDefault") site_.Repaint();
}

void ButtonCore::HookMouseMove() {
    if (fields_.MouseInside) return;
    fields_.MouseInside = true;
    site_.TrackLeave();
    fields_.ButtonState = kStateHover;
    site_.Repaint();
    if (site_.RaiseMouseEnter()) BuildToolTip();
}

void ButtonCore::HookMouseLeave() {
    fields_.MouseInside = false;
    fields_.ButtonState = kStateNormal;
    RemoveToolTip();
    site_.Repaint();
    site_.RaiseMouseLeave();
}

void ButtonCore::HookRepaint() {
    site_.Repaint();
}

void ButtonCore::BuildToolTip() {
    if (toolTipBuilt_) RemoveToolTip();
    props_.ToolTipText = site_.ExtenderToolTipText();
    site_.SetExtenderToolTipText(L"");
    site_.CreateToolTipWindow();
    toolTipBuilt_ = true;
}

void ButtonCore::RemoveToolTip() {
    site_.SetExtenderToolTipText(props_.ToolTipText);
    site_.DestroyToolTipWindow();
    toolTipBuilt_ = false;
}

void ButtonCore::Layout(int width, int height) {
    fields_.ClientRect = Rect{0, 0, width, height};
    fields_.TextRect = Rect{4, 4, width - 4, height - 4};
    fields_.CaptionFormat = CaptionFormatFor(props_.CaptionAlign, fields_.CaptionFormat);
}

bool ButtonCore::ClickAction() {
    if (props_.ButtonType == ButtonCheck) props_.Value = !props_.Value;
    fields_.ButtonState = kStateHover;
    site_.Repaint();
    return site_.RaiseClick();
}

}  // namespace button
