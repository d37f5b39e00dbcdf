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
    grab_ = {pressedAt.x - start.left, pressedAt.y - start.top};
    regrabbed_ = false;
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
        if (following && (now.x != last.x || now.y != last.y || regrabbed_)) {
            POINT corner{now.x - grab_.x, now.y - grab_.y};
            if (parent) MapWindowPoints(HWND_DESKTOP, parent, &corner, 1);
            regrabbed_ = false;
            SetWindowPos(hwnd, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
            last = now;
        }
        if (!MessagePump::PumpPending()) break;  // WM_QUIT, posted again for the main loop
        Sleep(1);
    }
    running_ = false;
}

void CaptionDrag::DpiChanged(int oldDpi, int newDpi) noexcept {
    if (!running_ || oldDpi <= 0 || newDpi <= 0 || oldDpi == newDpi) return;
    grab_ = {MulDiv(grab_.x, newDpi, oldDpi), MulDiv(grab_.y, newDpi, oldDpi)};
    regrabbed_ = true;
}
