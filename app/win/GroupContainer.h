#pragma once
// A container for a group of controls: a group box with a caption, or a plain picture container.
// It is a control parent (the dialog manager tabs through its children and skips them when it is disabled)
// and forwards its children's notifications to the top-level window, which a BS_GROUPBOX would not.

#include <windows.h>

#include "winmsg/win/BaseWindow.h"

class GroupContainer : public BaseWindow {
public:
    static constexpr const wchar_t* kClassName = L"VerdalyGroup";

    // `framed` draws the etched frame with the window text as its caption.
    HWND CreateGroup(HWND parent, int id, const wchar_t* caption, const RECT& rect, bool framed, HFONT font);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void OnPaint();

    bool framed_ = false;
    HFONT font_ = nullptr;  // borrowed from the main window
};
