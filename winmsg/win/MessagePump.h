#pragma once
// Message processing for the main loop and for every wait that must keep the window alive.
// Dialog keys (Tab, Shift+Tab, arrows in groups) are handled in all of them, not just the main loop.

#include <windows.h>

namespace MessagePump {

// Dispatches one message, giving the dialog manager of its top-level window the first look.
void Dispatch(MSG& msg) noexcept;

// Processes every pending message once. False when WM_QUIT was seen (it is posted again for the main loop).
[[nodiscard]] bool PumpPending() noexcept;

enum class WaitResult { Signalled, TimedOut, Quit, Failed };

// Waits for `handle` while processing window messages, without spinning. `timeoutMs` INFINITE waits forever.
// Failed: the wait itself failed (a bad handle); waiting again would only fail again.
[[nodiscard]] WaitResult WaitFor(HANDLE handle, DWORD timeoutMs) noexcept;

// Runs the main loop until WM_QUIT; returns its exit code.
int Run() noexcept;

}  // namespace MessagePump
