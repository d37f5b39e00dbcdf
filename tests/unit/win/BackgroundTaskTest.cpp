#include <gtest/gtest.h>
#include <windows.h>

#include <new>

#include "services/win/BackgroundTask.h"

namespace {

TEST(BackgroundTask, AWorkerOutOfMemoryFailsItsTaskAtOnceAndOthersAreDone) {
    const struct {
        const char* name;
        void (*work)(TaskControl&);
        TaskOutcome outcome;
    } cases[] = {
        {"finished", [](TaskControl&) {}, TaskOutcome::Done},
        {"out of memory", [](TaskControl&) { throw std::bad_alloc(); }, TaskOutcome::Failed},
    };
    for (const auto& c : cases) {
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(RunWhilePumping(c.work, TaskLimits{10000, INFINITE}), c.outcome) << c.name;
        EXPECT_LT(GetTickCount64() - start, 5000u) << c.name << ": no wait for the time limit";
    }
}

}  // namespace
