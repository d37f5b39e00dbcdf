// Object timers on this thread's real message loop: starting, changing and stopping, the 100 slots, and a timer
// that outlives its owner.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "winmsg/win/CTimer.h"
#include "winmsg/win/ComponentError.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/MTimer.h"
#include "winmsg/win/MessagePump.h"

namespace {

// Keeps the message loop running inside one of the program's own waits until `done()`, 10 s at most.
template <typename Done>
bool WaitPumpingUntil(Done done) {
    static const UniqueKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    for (const ULONGLONG end = GetTickCount64() + 10000; !done(); (void)MessagePump::WaitFor(never.Get(), 10))
        if (GetTickCount64() >= end) return false;
    return true;
}

TEST(ObjectTimer, IntervalStartsChangesAndStopsItsSystemTimer) {
    const std::shared_ptr<CTimer> timer = CTimer::Create();
    timer->Interval(50);
    const UINT_PTR first = timer->TimerID();
    EXPECT_NE(first, 0u);
    const int slot = MTimer::SlotOf(*timer);
    EXPECT_NE(slot, 0);
    const int highest = MTimer::HighestUsed();
    timer->Interval(50);
    EXPECT_EQ(timer->TimerID(), first);

    timer->Interval(100);
    const UINT_PTR second = timer->TimerID();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_FALSE(KillTimer(nullptr, first)) << "the replaced system timer is still alive";
    EXPECT_EQ(MTimer::SlotOf(*timer), slot);
    timer->Interval(0);
    EXPECT_EQ(timer->TimerID(), 0u);
    EXPECT_EQ(MTimer::SlotOf(*timer), 0);
    EXPECT_FALSE(KillTimer(nullptr, second)) << "the stopped system timer is still alive";
    EXPECT_EQ(MTimer::HighestUsed(), highest);
}

TEST(ObjectTimer, AHundredAndFirstTimerIsRefusedAndItsTicksGoUnheard) {
    // Every slot left is taken, whatever timers of the process hold the others.
    std::vector<std::shared_ptr<CTimer>> running;
    try {
        while (running.size() <= size_t{MTimer::kSlots}) running.emplace_back(CTimer::Create())->Interval(60000);
    } catch (const ComponentError&) {
        running.back()->Interval(0);
        running.pop_back();
    }
    EXPECT_EQ(MTimer::HighestUsed(), MTimer::kSlots);
    const std::shared_ptr<CTimer> extra = CTimer::Create();
    int heard = 0;
    const TimerConnection listen = extra->Connect([&heard] { ++heard; });
    try {
        extra->Interval(20);
        ADD_FAILURE() << "a 101st timer was given a slot";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80043553u));
    }
    // It keeps its interval and a running system timer, without a slot: ticks come and nobody hears them.
    const UINT_PTR orphan = extra->TimerID();
    EXPECT_EQ(extra->Interval(), 20);
    EXPECT_EQ(MTimer::SlotOf(*extra), 0);
    int ticks = 0;
    for (const ULONGLONG end = GetTickCount64() + 10000; ticks < 3 && GetTickCount64() < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); DispatchMessageW(&msg)) {
            ticks += msg.message == WM_TIMER && msg.wParam == orphan;
        }
    }
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(heard, 0);

    // Stopping it ends that system timer too. A slot freed in the middle is the next one used.
    extra->Interval(0);
    EXPECT_FALSE(KillTimer(nullptr, orphan)) << "the timer without a slot still ticks";
    const int freed = MTimer::SlotOf(*running[36]);
    running[36]->Interval(0);
    extra->Interval(30);
    EXPECT_EQ(MTimer::SlotOf(*extra), freed);
    extra->Interval(0);
    for (const auto& t : running) t->Interval(0);
}

// An owner that lets its timer go while it runs, as a careless one would.
struct Owner {
    explicit Owner(int* calls) : tick(timer->Connect([calls] { ++*calls; })) { timer->Interval(20); }
    std::shared_ptr<CTimer> timer = CTimer::Create();
    TimerConnection tick;
};

TEST(ObjectTimer, TicksComeInsideWaitsAndOutliveTheOwnerWithoutReachingIt) {
    int ownerCalls = 0, watched = 0;
    auto owner = std::make_unique<Owner>(&ownerCalls);
    const std::weak_ptr<CTimer> timer = owner->timer;
    const TimerConnection watch = owner->timer->Connect([&watched] { ++watched; });
    // Thrown on every tick: the timer callback catches it and the timer goes on.
    const TimerConnection fail = owner->timer->Connect([] { throw std::runtime_error("handler failed"); });
    ASSERT_TRUE(WaitPumpingUntil([&] { return ownerCalls >= 3; }));

    owner.reset();
    const int callsAtDeath = ownerCalls, watchedAtDeath = watched;
    // Judged after three more ticks, each of which would have reached the owner too.
    EXPECT_TRUE(WaitPumpingUntil([&] { return watched >= watchedAtDeath + 3; }))
        << "the slot did not keep the timer running";
    EXPECT_EQ(ownerCalls, callsAtDeath) << "a tick reached an owner that is gone";

    // Stopped, the slot lets go and the timer goes with the last reference.
    ASSERT_FALSE(timer.expired());
    timer.lock()->Interval(0);
    EXPECT_TRUE(timer.expired());
}

}  // namespace
