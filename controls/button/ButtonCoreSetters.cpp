// The button's property setters: each stores its value, tells the container by name, then lays the button out
// again or repaints it as the property needs.
#include "ButtonCore.h"

#include <utility>

namespace button {

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
void ButtonCore::SetIcon(PictureRefPtr v) {
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
void ButtonCore::SetBackColor(OleColor v) {
    props_.BackColor = v;
    Changed(L"BackColor", false);
}
void ButtonCore::SetHighlightColor(OleColor v) {
    props_.HighlightColor = v;
    Changed(L"HighlightColor", false);
}
void ButtonCore::SetFontColor(OleColor v) {
    props_.FontColor = v;
    Changed(L"FontColor", false);
}
void ButtonCore::SetFontHighlightColor(OleColor v) {
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
void ButtonCore::SetToolTipBackColor(OleColor v) {
    props_.ToolTipBackColor = v;
    Changed(L"ToolTipBackColor", false);
}
void ButtonCore::SetToolTipForeColor(OleColor v) {
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
void ButtonCore::SetMaskColor(OleColor v) {
    props_.MaskColor = v;
    Changed(L"MaskColor", false);
}
void ButtonCore::SetUseMaskColor(bool v) {
    props_.UseMaskColor = v;
    Changed(L"UseMaskColor", false);
}

}  // namespace button
