// Object timers on this thread's real message loop: starting, changing and stopping, the 100 slots, ticks
// inside a nested wait, and a timer that outlives its owner.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "CTimer.h"
#include "ComponentError.h"
#include "Handles.h"
#include "MTimer.h"
#include "MessagePump.h"

namespace {

// Keeps the message loop running for a while the way the program's waits do.
void WaitPumping(DWORD ms) {
    static const UniqueKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_EQ(MessagePump::WaitFor(never.Get(), ms), MessagePump::WaitResult::TimedOut);
}

TEST(ObjectTimer, IntervalStartsChangesAndStopsTheSystemTimer) {
    const std::shared_ptr<CTimer> timer = CTimer::Create();
    timer->Item(std::wstring(L"kept"));
    const int highest = MTimer::HighestUsed();

    timer->Interval(50);
    const UINT_PTR first = timer->TimerID();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(MTimer::SlotOf(*timer), 1) << "another test left a timer running";
    EXPECT_EQ(MTimer::HighestUsed(), std::max(highest, 1));

    timer->Interval(50);
    EXPECT_EQ(timer->TimerID(), first);

    timer->Interval(100);
    const UINT_PTR second = timer->TimerID();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_FALSE(KillTimer(nullptr, first)) << "the replaced system timer is still alive";
    EXPECT_EQ(MTimer::SlotOf(*timer), 1);
    EXPECT_EQ(timer->Interval(), 100);

    timer->Interval(0);
    EXPECT_EQ(timer->Interval(), 0);
    EXPECT_EQ(timer->TimerID(), 0u);
    EXPECT_EQ(MTimer::SlotOf(*timer), 0);
    EXPECT_FALSE(KillTimer(nullptr, second)) << "the stopped system timer is still alive";
    EXPECT_EQ(MTimer::HighestUsed(), std::max(highest, 1)) << "the highest position went down";
    timer->Interval(-5);
    EXPECT_EQ(timer->TimerID(), 0u);
    EXPECT_EQ(std::any_cast<std::wstring>(timer->Item()), L"kept");
}

TEST(ObjectTimer, HundredSlotsThenTheNextTimerIsRefusedAndTicksUnheard) {
    std::vector<std::shared_ptr<CTimer>> running;
    for (int i = 0; i < MTimer::kSlots; ++i) {
        running.push_back(CTimer::Create());
        running.back()->Interval(60000);
        ASSERT_EQ(MTimer::SlotOf(*running.back()), i + 1);
    }
    EXPECT_EQ(MTimer::HighestUsed(), 100);

    const std::shared_ptr<CTimer> extra = CTimer::Create();
    int heard = 0;
    const TimerConnection listen = extra->Connect([&heard] { ++heard; });
    try {
        extra->Interval(20);
        ADD_FAILURE() << "a 101st timer was given a slot";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80043553u));
    }
    // Its system timer runs, without a slot: the ticks come and nobody hears them.
    const UINT_PTR orphan = extra->TimerID();
    EXPECT_NE(orphan, 0u);
    EXPECT_EQ(extra->Interval(), 20);
    EXPECT_EQ(MTimer::SlotOf(*extra), 0);
    int ticks = 0;
    for (const ULONGLONG end = GetTickCount64() + 300; GetTickCount64() < end;) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        ticks += msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == orphan;
        DispatchMessageW(&msg);
    }
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(heard, 0);

    // Stopping it ends its system timer too; a slot freed in the middle is the next one used.
    extra->Interval(0);
    EXPECT_FALSE(KillTimer(nullptr, orphan)) << "the timer without a slot still ticks";
    running[36]->Interval(0);
    extra->Interval(30);
    EXPECT_EQ(MTimer::SlotOf(*extra), 37);
    EXPECT_EQ(MTimer::HighestUsed(), 100);

    extra->Interval(0);
    for (const auto& t : running) t->Interval(0);
}

TEST(ObjectTimer, TicksArriveInsideNestedWaitsAndAThrowingHandlerDoesNotStopThem) {
    const std::shared_ptr<CTimer> timer = CTimer::Create();
    int ticks = 0;
    const TimerConnection count = timer->Connect([&ticks] { ++ticks; });
    const TimerConnection fail = timer->Connect([] { throw std::runtime_error("handler failed"); });
    timer->Interval(20);
    WaitPumping(400);
    const int counted = ticks;
    EXPECT_GE(counted, 3);

    timer->Interval(0);
    WaitPumping(100);
    EXPECT_EQ(ticks, counted) << "a stopped timer ticked";
}

// An owner that keeps its timer running when it goes, as a careless one would.
struct Owner {
    explicit Owner(int* calls) : tick(timer->Connect([calls] { ++*calls; })) { timer->Interval(20); }
    std::shared_ptr<CTimer> timer = CTimer::Create();
    TimerConnection tick;
};

TEST(ObjectTimer, ARunningTimerOutlivesItsOwnerWithoutCallingIntoIt) {
    int ownerCalls = 0;
    int watched = 0;
    auto owner = std::make_unique<Owner>(&ownerCalls);
    const std::weak_ptr<CTimer> timer = owner->timer;
    TimerConnection watch = owner->timer->Connect([&watched] { ++watched; });
    WaitPumping(200);
    ASSERT_GT(ownerCalls, 0);

    owner.reset();
    const int callsAtDeath = ownerCalls;
    const int watchedAtDeath = watched;
    WaitPumping(200);
    EXPECT_EQ(ownerCalls, callsAtDeath) << "a tick reached an owner that is gone";
    EXPECT_GT(watched, watchedAtDeath) << "the slot did not keep the timer running";

    // Stopped, the slot lets go and the timer goes with the last reference.
    ASSERT_FALSE(timer.expired());
    timer.lock()->Interval(0);
    EXPECT_TRUE(timer.expired());
    EXPECT_FALSE(watch.Connected());
}

}  // namespace
