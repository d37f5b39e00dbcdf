#include "CaptionDrag.h"

#include <cstdlib>

#include "winmsg/win/MessagePump.h"
#include "cNCCalcSize.h"

void CaptionDrag::Run(const cNCCalcSize& engine, POINT pressedAt) noexcept {
    if (running_) return;
    running_ = true;
    const HWND hwnd = engine.Hwnd();
    const HWND parent = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
    RECT start{};
    GetWindowRect(hwnd, &start);
    if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&start), 2);
    // The window follows the pointer from where it was grabbed, once the pointer has left the system's drag
    // distance: the press's own one-pixel nudge never moves the window.
    const int slackX = GetSystemMetrics(SM_CXDRAG);
    const int slackY = GetSystemMetrics(SM_CYDRAG);
    bool following = false;
    POINT last = pressedAt;
    while (engine.Hwnd() == hwnd && IsWindow(hwnd) && engine.WindowActive() &&
           (GetAsyncKeyState(VK_LBUTTON) & 0x8000)) {
        POINT now{};
        GetCursorPos(&now);
        if (!following) following = std::abs(now.x - pressedAt.x) > slackX || std::abs(now.y - pressedAt.y) > slackY;
        if (following && (now.x != last.x || now.y != last.y)) {
            SetWindowPos(hwnd, nullptr, start.left + now.x - pressedAt.x, start.top + now.y - pressedAt.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
            last = now;
        }
        if (!MessagePump::PumpPending()) break;  // WM_QUIT, posted again for the main loop
        Sleep(1);
    }
    running_ = false;
}
