#pragma once
// The process's table of running object timers: one system thread timer (SetTimer without a window) per running
// CTimer, 100 slots, ticks routed by the system timer's identifier. UI thread only.

#include <windows.h>

class CTimer;

class MTimer {
public:
    static constexpr int kSlots = 100;

    // The position (1 to 100) of the slot that holds this timer; 0 when it holds none.
    [[nodiscard]] static int SlotOf(const CTimer& timer) noexcept;
    // The highest slot position ever used: it starts at 0 and never goes down. Searches scan up to it.
    [[nodiscard]] static int HighestUsed() noexcept;

    MTimer() = delete;

private:
    friend class CTimer;

    // Starts the system timer for the timer's Interval and gives it the first empty slot. False (and the timer
    // stopped) when the system timer cannot be made; throws ComponentError TooManyTimers when no slot is free.
    [[nodiscard]] static bool AddTimer(CTimer& timer);
    // Kills the timer's system timer and empties its slot. False when no slot holds it (a system timer it has is
    // killed all the same).
    static bool RemoveTimer(CTimer& timer) noexcept;
    static void CALLBACK TimerProc(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime) noexcept;
};
