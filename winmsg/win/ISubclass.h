#pragma once
// What a subscriber of the message router implements. The router keeps only the raw address of this interface
// in the window's properties: a subscriber detaches every message before it is destroyed.

#include <windows.h>

#include <cstdint>

// Whether and when the window's previous procedure runs for a subscribed message. Any other value acts like
// mrConsume.
enum MsgResponseMode : std::int32_t {
    // The previous window procedure is not called for this message; the subscribers' result is returned.
    mrConsume = 0,
    // The previous window procedure is called after the last subscriber; its result is returned.
    mrCallOldAfter = 1,
    // The previous window procedure is called before the first subscriber; its result is discarded and the
    // subscribers' result is returned.
    mrCallOldBefore = 2,
};

class ISubclass {
public:
    virtual ~ISubclass() = default;

    /// Get/set how you will respond to a message.  Raised whenever a message is encountered.  Call the
    /// CurrentMessage property to determine what message you are currently responding to.
    [[nodiscard]] virtual MsgResponseMode MsgResponse() = 0;
    /// Get/set how you will respond to a message.  Raised whenever a message is encountered.  Call the
    /// CurrentMessage property to determine what message you are currently responding to.
    virtual void MsgResponse(MsgResponseMode mode) = 0;
    /// Raised whenever a message you have subclassed is sent.
    virtual LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) = 0;
};
