#pragma once
// The message router: any number of ISubclass objects subscribe to single messages of any window of this
// process. The bookkeeping lives in the window's own properties, readable by anything that lists them:
//   {h}          the previous window procedure
//   C{h}         subscriptions on the window over all messages
//   {h}#{m}C     subscribers of message m (stays, at 0, when the last one leaves)
//   {h}#{m}#{i}  the subscriber at position i, from 1 in subscription order
// {h} is the window handle and {m} the message number in signed decimal.
// Dispatch reads none of them: under Wine every property lookup is a round trip to the server, tens of
// microseconds. Attach and detach keep an in-process index beside the properties (written where they are, dropped
// with the window at WM_NCDESTROY), and the router reads only that. A window's messages are dispatched on its own
// thread; windows of several threads may be subscribed at once.

#include <windows.h>

#include <map>
#include <span>
#include <string>

#include "ISubclass.h"

namespace MSubclass {

/// Start subclassing for a particular message.
// Throws ComponentError: InvalidWindow, ExternalWindow (another process's window), CantSubclass, AlreadyHandled
// (this subscriber already has this message on this window; nothing is changed).
void AttachMessage(ISubclass* iwp, HWND hwnd, UINT iMsg);

// The same for several messages at once, all or none: the window and every subscription are checked before
// anything changes, and the window's count is written once. The properties end as after one AttachMessage each.
void AttachMessages(ISubclass* iwp, HWND hwnd, std::span<const UINT> messages);

/// Stop subclassing for a particular message.
// A subscriber that is not subscribed to the message is left alone: nothing changes.
void DetachMessage(ISubclass* iwp, HWND hwnd, UINT iMsg) noexcept;

/// Returns the message currently being worked on.  Only valid in the MsgResponse and WindowProc items of your
/// implemented interface.
// One value per thread: the message last dispatched to a subscriber on the calling thread.
[[nodiscard]] UINT CurrentMessage() noexcept;

/// Calls the window procedure for this handle which was installed before you added the subclass.
// Read it before sending anything to another subclassed window: a nested dispatch changes it.
LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept;

// For tests: the properties the router's index says the window has, by name, so they can be compared with the
// window's real ones. Message counts of 0, which the properties keep after the last subscriber, are left out.
[[nodiscard]] std::map<std::wstring, LONG_PTR> IndexedProperties(HWND hwnd);

}  // namespace MSubclass
