#pragma once
// Waiting on a condition rather than for a fixed time: a test goes on as soon as what it waits for has happened,
// and gives up only after a limit no loaded machine comes near.

#include <windows.h>

// Handles this thread's messages until `done()` holds, `limitMs` at most; whether it came to hold.
template <typename Done>
bool PumpUntil(Done done, DWORD limitMs = 10000) {
    for (const ULONGLONG end = GetTickCount64() + limitMs;;) {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Makes the window the foreground one and waits until it is: the system may take its time to hand activation over.
[[nodiscard]] inline bool Foreground(HWND hwnd) {
    SetForegroundWindow(hwnd);
    return PumpUntil([hwnd] { return GetForegroundWindow() == hwnd; });
}
