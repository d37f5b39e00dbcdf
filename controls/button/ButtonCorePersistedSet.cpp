// The button's persisted property set: the first placement's values, and the set read from and written to the
// container's property bag.
#include "ButtonCore.h"

#include <optional>

namespace button {

namespace {

constexpr OleColor kDefaultMaskColor = 12632256;  // 192, 192, 192

// Entry text of an icon that is not there; pictures are not kept in layout text.
constexpr const wchar_t* kNoPicture = L"Nothing";

// A value that does not parse leaves the property as it was.
template <typename T>
void Assign(T& target, const std::optional<T>& value) {
    if (value) target = *value;
}

}  // namespace

void ButtonCore::InitProperties() {
    props_ = ButtonProperties{};
    props_.Style = StyleEdge3D;
    props_.Caption = site_.ExtenderName();
    props_.IconSize = 16;
    props_.Enabled = true;
    props_.BackColor = site_.SysColor(kSysButtonFace);
    props_.HighlightColor = site_.SysColor(kSysHighlight);
    props_.FontColor = site_.SysColor(kSysButtonText);
    props_.FontHighlightColor = site_.SysColor(kSysButtonText);
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
    bag.WriteColor(L"BackColor", props_.BackColor, site_.SysColor(kSysButtonFace));
    bag.WriteColor(L"HighlightColor", props_.HighlightColor, site_.SysColor(kSysHighlight));
    bag.WriteColor(L"FontColor", props_.FontColor, site_.SysColor(kSysButtonText));
    bag.WriteColor(L"FontHighlightColor", props_.FontHighlightColor, site_.SysColor(kSysButtonText));
    bag.WriteText(L"ToolTipText", props_.ToolTipText, site_.ExtenderToolTipText());
    bag.WriteText(L"Tooltiptitle", props_.ToolTipTitle);
    bag.WriteInt(L"ToolTipIcon", props_.ToolTipIcon);
    bag.WriteInt(L"ToolTipType", props_.ToolTipType);
    // The two tooltip colours default to each other's system colour; the set has always been written so.
    bag.WriteColor(L"ttBackColor", props_.ToolTipBackColor, site_.SysColor(kSysInfoText));
    bag.WriteColor(L"ttForeColor", props_.ToolTipForeColor, site_.SysColor(kSysInfoBackground));
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
    Assign(props_.BackColor, bag.ReadColor(L"BackColor", site_.SysColor(kSysButtonFace)));
    Assign(props_.HighlightColor, bag.ReadColor(L"HighlightColor", site_.SysColor(kSysHighlight)));
    Assign(props_.FontColor, bag.ReadColor(L"FontColor", site_.SysColor(kSysButtonText)));
    Assign(props_.FontHighlightColor, bag.ReadColor(L"FontHighlightColor", site_.SysColor(kSysButtonText)));
    // The stored text goes to the extender, which owns the container's tooltip; the control keeps its copy.
    if (auto text = bag.ReadText(L"ToolTipText", props_.ToolTipText)) site_.SetExtenderToolTipText(*text);
    Assign(props_.ToolTipText, bag.ReadText(L"ToolTipText", L""));
    Assign(props_.ToolTipTitle, bag.ReadText(L"Tooltiptitle", L""));
    Assign(props_.ToolTipIcon, bag.ReadInt(L"ToolTipIcon", 0));
    Assign(props_.ToolTipType, bag.ReadInt(L"ToolTipType", 1));
    Assign(props_.ToolTipBackColor, bag.ReadColor(L"ttBackColor", site_.SysColor(kSysInfoText)));
    Assign(props_.ToolTipForeColor, bag.ReadColor(L"ttForeColor", site_.SysColor(kSysInfoBackground)));
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

}  // namespace button
