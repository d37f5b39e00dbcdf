#include "CustomControls.h"

#include <commctrl.h>

#include <string>

#include "LayoutResource.h"
#include "ProgressBar.h"
#include "isButton.h"
#include "resource.h"

namespace {

// Read once, when the window creates its first control of ours.
const LayoutSet& MainFormLayout() {
    static const LayoutSet layout = LoadLayoutResource(GetModuleHandleW(nullptr), IDR_MAINFORM_LAYOUT);
    return layout;
}

HostedControlArgs ArgsFor(const ControlSpec& entry, HWND parent, const RECT& rect, HFONT font) {
    HostedControlArgs args;
    args.parent = parent;
    args.id = entry.id;
    args.rect = rect;
    args.name = Utf8ToWide(entry.name);
    args.containerFont = font;
    return args;
}

}  // namespace

HWND CreatePushButton(const ControlSpec& entry, HWND parent, const RECT& rect, HFONT font) {
    HostedControlArgs args = ArgsFor(entry, parent, rect, font);
    args.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
    // Caption, style and font come from the layout; a missing block still gives a working button.
    const PropertyBag* saved = MainFormLayout().Find(args.name);
    PropertyBag fallback;
    if (!saved) {
        fallback.WriteText(L"Caption", entry.text);
        saved = &fallback;
    }
    args.persisted = saved;
    return isButton::Create(args);
}

HWND CreateProgressBar(const ControlSpec& entry, HWND parent, const RECT& rect, HFONT font) {
    HostedControlArgs args = ArgsFor(entry, parent, rect, font);
    // A control of the window always has its set in the layout; a missing block means every default.
    static const PropertyBag kEmpty;
    const PropertyBag* saved = MainFormLayout().Find(args.name);
    args.persisted = saved ? saved : &kEmpty;
    return ProgressBar::Create(args);
}

void SetProgressBarValue(HWND bar, int value) {
    if (ProgressBar* control = ProgressBar::FromHwnd(bar)) control->Model().SetValue(value);
}

int ProgressBarValue(HWND bar) {
    const ProgressBar* control = ProgressBar::FromHwnd(bar);
    return control ? control->Model().Value() : 0;
}
