#pragma once
// The process's table of running object timers: one system thread timer (SetTimer without a window) per running
// CTimer, 100 slots, ticks routed by the system timer's identifier. It knows a timer only as ITimerPulse; the timer
// keeps the identifier it is handed and passes it back to stop. UI thread only.

#include <windows.h>

#include <memory>

#include "ITimerPulse.h"

class MTimer {
public:
    static constexpr int kSlots = 100;

    // The position (1 to 100) of the slot that holds this timer; 0 when it holds none.
    [[nodiscard]] static int SlotOf(const ITimerPulse& timer) noexcept;
    // The highest slot position ever used: it starts at 0 and never goes down. Searches scan up to it.
    [[nodiscard]] static int HighestUsed() noexcept;

    // Starts a system timer of ms milliseconds whose ticks come to the table; its identifier, or 0 when the system
    // cannot make one.
    [[nodiscard]] static UINT_PTR StartTimer(UINT ms) noexcept;
    // Gives the running system timer id the first empty slot; its ticks then reach the timer, which the slot keeps
    // alive. Throws ComponentError TooManyTimers when no slot is free: the system timer runs on, its ticks unheard,
    // until it is removed.
    static void AddTimer(UINT_PTR id, std::shared_ptr<ITimerPulse> timer);
    // Kills the system timer id and empties its slot. False when no slot holds it (the system timer is killed all
    // the same). Emptying the slot may drop the timer's last reference.
    static bool RemoveTimer(UINT_PTR id) noexcept;

    MTimer() = delete;

private:
    static void CALLBACK TimerProc(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime) noexcept;
};
