#pragma once
// What every control's portable part tells the window that hosts it: that one of its properties changed. The
// window passes the notice on to the container and redoes what the property needs (its text, font, a redraw).

#include <string_view>

class PropertySite {
public:
    virtual ~PropertySite() = default;

    // After the property of that name (as persisted and notified) was stored, even when its value did not change.
    virtual void PropertyChanged(std::wstring_view name) = 0;
};
