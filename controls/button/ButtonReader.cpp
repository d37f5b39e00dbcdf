#include "ButtonReader.h"

namespace button {

reader::Description DescribeForReader(const ButtonCore& core, const reader::WindowFacts& facts) {
    const ButtonProperties& p = core.Props();
    const bool check = p.ButtonType == ButtonCheck;
    const bool isDefault = core.Site().DisplayAsDefault();
    reader::Description d;
    d.role = check ? reader::kRoleCheckButton : reader::kRolePushButton;
    d.name = reader::WithoutAccessKey(p.Caption);

    d.state = facts.platformState & reader::kPlatformStates;
    if (!facts.available || !p.Enabled) {
        d.state |= reader::kStateUnavailable;
    } else {
        d.state |= reader::kStateFocusable;
        if (facts.focused) d.state |= reader::kStateFocused;
    }
    if (check && p.Value) d.state |= reader::kStateChecked;
    if (!check && core.Fields().ButtonState == kStatePressed) d.state |= reader::kStatePressed;
    if (core.Fields().MouseInside) d.state |= reader::kStateHotTracked;
    if (isDefault) d.state |= reader::kStateDefault;

    // The access key is what the dialog manager routes here; the container's default button also takes Enter.
    if (const wchar_t key = reader::AccessKey(p.Caption))
        d.keyboardShortcut = std::wstring(L"Alt+") + key;
    else if (isDefault)
        d.keyboardShortcut = L"Enter";
    d.defaultAction = !check ? L"Press" : p.Value ? L"Uncheck" : L"Check";
    return d;
}

}  // namespace button
