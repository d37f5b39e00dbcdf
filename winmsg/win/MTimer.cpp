#include "MTimer.h"

#include <array>
#include <memory>

#include "CTimer.h"
#include "CaughtException.h"
#include "ComponentError.h"

namespace {

struct TimerTable {
    std::array<std::shared_ptr<CTimer>, MTimer::kSlots + 1> slots;  // positions 1 to 100; 0 unused
    int highestUsed = 0;
};

// Never destroyed: running timers stay in their slots to the end of the process, and a timer released while
// the process exits must still find the table.
TimerTable& Table() noexcept {
    static TimerTable* const table = new TimerTable();
    return *table;
}

}  // namespace

int MTimer::SlotOf(const CTimer& timer) noexcept {
    const TimerTable& t = Table();
    for (int i = 1; i <= t.highestUsed; ++i) {
        if (t.slots[i].get() == &timer) return i;
    }
    return 0;
}

int MTimer::HighestUsed() noexcept {
    return Table().highestUsed;
}

bool MTimer::AddTimer(CTimer& timer) {
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(timer.interval_), &MTimer::TimerProc);
    timer.timerId_ = id;
    if (id == 0) {
        timer.Interval(0);
        return false;
    }
    TimerTable& t = Table();
    for (int i = 1; i <= kSlots; ++i) {
        if (t.slots[i]) continue;
        t.slots[i] = timer.shared_from_this();
        if (i > t.highestUsed) t.highestUsed = i;
        return true;
    }
    throw ComponentError(ComponentErrorCode::TooManyTimers);
}

bool MTimer::RemoveTimer(CTimer& timer) noexcept {
    const UINT_PTR id = timer.timerId_;
    TimerTable& t = Table();
    for (int i = 1; i <= t.highestUsed; ++i) {
        if (!t.slots[i] || t.slots[i]->timerId_ != id) continue;
        KillTimer(nullptr, id);
        timer.timerId_ = 0;
        // The slot's reference may be the last one: the timer may be gone after this line.
        t.slots[i].reset();
        return true;
    }
    // A timer that got its system timer but no slot (all slots were taken) would otherwise tick, unheard,
    // until the process ends.
    if (id != 0) {
        KillTimer(nullptr, id);
        timer.timerId_ = 0;
    }
    return false;
}

void CALLBACK MTimer::TimerProc(HWND, UINT, UINT_PTR idEvent, DWORD) noexcept {
    TimerTable& t = Table();
    for (int i = 1; i <= t.highestUsed; ++i) {
        if (!t.slots[i] || t.slots[i]->timerId_ != idEvent) continue;
        // A handler may stop the timer and so empty its slot: hold it for the length of the tick.
        const std::shared_ptr<CTimer> timer = t.slots[i];
        try {
            timer->PulseTimer();
        } catch (...) {
            // An exception must not unwind through the message loop's dispatch; the timer keeps running.
            ReportCaughtException(L"the object timers' TimerProc");
        }
        return;
    }
}
