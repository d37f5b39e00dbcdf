#pragma once
// Runs blocking work (network transfers) on a worker thread while the calling UI thread keeps processing
// window messages, without spinning. The caller sees a blocking call with a deadline; the worker never
// touches a window.

#include <windows.h>

#include <atomic>
#include <functional>

struct TaskControl {
    std::atomic<ULONGLONG> lastProgress{0};  // GetTickCount64 of the last sign of life
    std::atomic<bool> abandoned{false};      // the waiting side gave up: stop at the next chance
    void Touch() noexcept { lastProgress.store(GetTickCount64(), std::memory_order_relaxed); }
};

enum class TaskOutcome { Done, TimedOut, Quit, NotStarted };

enum class Deadline { SinceStart, SinceProgress };

// `work` runs on a new thread and must keep everything it needs alive itself (capture shared_ptrs): when
// the wait times out or the program quits, the worker is left to end on its own time-outs.
TaskOutcome RunWhilePumping(std::function<void(TaskControl&)> work, DWORD limitMs, Deadline kind);
