// The button's reactions to input: mouse, keys, focus and visibility from the container, hovering from the
// window hook, and the tooltip and layout that go with them.
#include "ButtonCore.h"

#include "winmsg/DpiScale.h"

namespace button {

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
    const int inset = ScaleToDpi(4, site_.DisplayDpi());
    fields_.ClientRect = Rect{0, 0, width, height};
    fields_.TextRect = Rect{inset, inset, width - inset, height - inset};
    fields_.CaptionFormat = CaptionFormatFor(props_.CaptionAlign, fields_.CaptionFormat);
}

bool ButtonCore::ClickAction() {
    if (props_.ButtonType == ButtonCheck) props_.Value = !props_.Value;
    fields_.ButtonState = kStateHover;
    site_.Repaint();
    return site_.RaiseClick();
}

}  // namespace button
