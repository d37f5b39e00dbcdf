#include "MTimer.h"

#include <array>
#include <utility>

#include "CaughtException.h"
#include "ComponentError.h"

namespace {

struct Slot {
    UINT_PTR id = 0;
    std::shared_ptr<ITimerPulse> timer;
};

struct TimerTable {
    std::array<Slot, MTimer::kSlots + 1> slots;  // positions 1 to 100; 0 unused
    int highestUsed = 0;
};

// Never destroyed: running timers stay in their slots to the end of the process, and a timer released while
// the process exits must still find the table.
TimerTable& Table() noexcept {
    static TimerTable* const table = new TimerTable();
    return *table;
}

}  // namespace

int MTimer::SlotOf(const ITimerPulse& timer) noexcept {
    const TimerTable& t = Table();
    for (int i = 1; i <= t.highestUsed; ++i) {
        if (t.slots[i].timer.get() == &timer) return i;
    }
    return 0;
}

int MTimer::HighestUsed() noexcept {
    return Table().highestUsed;
}

UINT_PTR MTimer::StartTimer(UINT ms) noexcept {
    return SetTimer(nullptr, 0, ms, &MTimer::TimerProc);
}

void MTimer::AddTimer(UINT_PTR id, std::shared_ptr<ITimerPulse> timer) {
    TimerTable& t = Table();
    for (int i = 1; i <= kSlots; ++i) {
        if (t.slots[i].timer) continue;
        t.slots[i] = {id, std::move(timer)};
        if (i > t.highestUsed) t.highestUsed = i;
        return;
    }
    throw ComponentError(ComponentErrorCode::TooManyTimers);
}

bool MTimer::RemoveTimer(UINT_PTR id) noexcept {
    // A timer that got its system timer but no slot (all slots were taken) would otherwise tick, unheard,
    // until the process ends: it is killed whether a slot holds it or not.
    if (id == 0) return false;
    KillTimer(nullptr, id);
    TimerTable& t = Table();
    for (int i = 1; i <= t.highestUsed; ++i) {
        if (!t.slots[i].timer || t.slots[i].id != id) continue;
        // The slot's reference may be the last one: the timer may be gone after this line.
        t.slots[i] = {};
        return true;
    }
    return false;
}

void CALLBACK MTimer::TimerProc(HWND, UINT, UINT_PTR idEvent, DWORD) noexcept {
    TimerTable& t = Table();
    for (int i = 1; i <= t.highestUsed; ++i) {
        if (!t.slots[i].timer || t.slots[i].id != idEvent) continue;
        // A handler may stop the timer and so empty its slot: hold it for the length of the tick.
        const std::shared_ptr<ITimerPulse> timer = t.slots[i].timer;
        try {
            timer->PulseTimer();
        } catch (...) {
            // An exception must not unwind through the message loop's dispatch; the timer keeps running.
            ReportCaughtException(L"the object timers' TimerProc");
        }
        return;
    }
}
