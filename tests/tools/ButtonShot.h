#pragma once
// The stage of verdaly-buttonshot, shared with the button's pixel tests: a real isButton made from a persisted
// set, sized, and put into a state the way input would put it there.

#include <windows.h>

#include <optional>
#include <string>

#include "winmsg/win/Handles.h"
#include "controls/host/PropertyBag.h"

// verdaly-buttonshot LAYOUT-FILE BLOCK WIDTH HEIGHT STATE FOCUS OUT.bmp
struct ShotRequest {
    std::wstring layoutFile;
    std::wstring block;
    int width = 0;
    int height = 0;
    int state = 1;  // 1 normal, 2 hover, 3 pressed, 4 disabled
    bool focus = false;
    std::wstring output;
};

// The request of a command line (the program's name first); nullopt on a bad argument, with `error` saying which.
[[nodiscard]] std::optional<ShotRequest> ParseShotRequest(int argc, const wchar_t* const* argv, std::wstring& error);

class ButtonStage {
public:
    // A hidden top-level window to hold the button.
    ButtonStage();

    // The button of the instance `name` from its persisted set, its client area width x height pixels; null when
    // it could not be made.
    HWND Place(const PropertyBag& set, const std::wstring& name, int width, int height);
    // The state through the messages a user's input brings (disabling, focus, a pointer that enters, Space held
    // down); false when the button does not end up in it.
    bool Pose(int state, bool focus);

    [[nodiscard]] HWND Button() const noexcept { return button_; }

private:
    UniqueWindow parent_;
    HWND button_ = nullptr;  // a child: the parent destroys it
};

// Runs the tool; the exit code, with messages on stderr.
int RunButtonShot(const ShotRequest& request);
