#pragma once
// The router as an object, for code that prefers one: each member forwards to MSubclass one to one.

#include <windows.h>

#include "MSubclass.h"

class GSubclass {
public:
    /// Start subclassing for a particular message.
    void AttachMessage(ISubclass* iwp, HWND hwnd, UINT iMsg) { MSubclass::AttachMessage(iwp, hwnd, iMsg); }

    /// Stop subclassing for a particular message.
    void DetachMessage(ISubclass* iwp, HWND hwnd, UINT iMsg) noexcept { MSubclass::DetachMessage(iwp, hwnd, iMsg); }

    /// Returns the message currently being worked on.  Only valid in the MsgResponse and WindowProc items of your
    /// implemented interface.
    [[nodiscard]] UINT CurrentMessage() const noexcept { return MSubclass::CurrentMessage(); }

    /// Calls the window procedure for this handle which was installed before you added the subclass.
    LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
        return MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
    }
};
