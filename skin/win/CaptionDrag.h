#pragma once
// The engine's own caption drag: the engine keeps a press on the caption from the system, so the system's move
// loop never starts and the engine moves the window itself, following the pointer while the left button is down.

#include <windows.h>

class cNCCalcSize;

class CaptionDrag {
public:
    // Moves the engine's window with the pointer from the press at `pressedAt` (screen) until the button goes up,
    // the window stops being active or leaves the engine, or WM_QUIT arrives. Pending messages are dispatched on
    // every step, so a press reaching the engine meanwhile may call this again: that call returns at once.
    void Run(const cNCCalcSize& engine, POINT pressedAt) noexcept;
    // The window went to another DPI under a running drag: the pointer keeps its place on the window, its offset
    // from the window's corner scaled by newDpi / oldDpi, and the window is put there at the next step.
    void DpiChanged(int oldDpi, int newDpi) noexcept;

private:
    bool running_ = false;
    POINT grab_{};            // the pointer's offset from the window's top-left corner
    bool regrabbed_ = false;  // the offset changed: the window moves even if the pointer has not
};
