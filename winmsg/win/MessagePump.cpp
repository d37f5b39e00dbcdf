#include "MessagePump.h"

namespace MessagePump {

void Dispatch(MSG& msg) noexcept {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool PumpPending() noexcept {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        Dispatch(msg);
    }
    return true;
}

WaitResult WaitFor(HANDLE handle, DWORD timeoutMs) noexcept {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeoutMs) return WaitResult::TimedOut;
            remaining = static_cast<DWORD>(timeoutMs - elapsed);
        }
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &handle, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) return WaitResult::Signalled;
        if (r == WAIT_TIMEOUT) return WaitResult::TimedOut;
        if (r == WAIT_FAILED) return WaitResult::Failed;
        if (!PumpPending()) return WaitResult::Quit;
        // Handlers run inside PumpPending may have taken a while: the object may be signalled now.
        if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) return WaitResult::Signalled;
    }
}

int Run() noexcept {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        Dispatch(msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace MessagePump
