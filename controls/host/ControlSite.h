#pragma once
// What a container offers one hosted control: ambient properties, the extender (the container-side properties
// of the instance) and the change notification by property name.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "HostTypes.h"

struct AmbientProperties {
    bool UserMode = true;           // false while the container is being designed
    bool DisplayAsDefault = false;  // the container marks this control as its default button
    FontDesc Font = DefaultControlFont();  // the container's font
    std::wstring DisplayName;       // the instance's name on the container
    OleColor BackColor = SysColorRef(kSysButtonFace);
    OleColor ForeColor = SysColorRef(kSysButtonText);
};

struct ExtenderProperties {
    std::wstring Name;
    std::wstring ToolTipText;
};

class ControlSite {
public:
    using Listener = std::function<void(std::wstring_view propertyName)>;

    AmbientProperties Ambient;
    ExtenderProperties Extender;

    // Listeners hear every change notification in order; the token removes one again.
    int Subscribe(Listener listener);
    void Unsubscribe(int token);

    // Called when one of the control's properties changes; marks the container's set as changed, so a saving tool knows to write.
    void PropertyChanged(std::wstring_view propertyName);
    [[nodiscard]] bool Changed() const noexcept { return changed_; }
    void ClearChanged() noexcept { changed_ = false; }

private:
    std::vector<std::pair<int, Listener>> listeners_;
    int nextToken_ = 1;
    bool changed_ = false;
};
