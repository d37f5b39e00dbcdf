#pragma once
// Runs blocking work (network transfers) on a worker thread while the calling UI thread keeps processing
// window messages, without spinning. The caller sees a blocking call with a deadline; the worker never
// touches a window.

#include <windows.h>

#include <atomic>
#include <functional>

// Shared by the waiting side and the worker. Exactly one of them decides how a task ends: the worker
// finishes it, or the waiting side abandons it first and the worker cleans up after itself.
class TaskControl {
public:
    void Touch() noexcept { lastProgress_.store(GetTickCount64(), std::memory_order_relaxed); }
    [[nodiscard]] ULONGLONG LastProgress() const noexcept { return lastProgress_.load(std::memory_order_relaxed); }
    [[nodiscard]] bool Abandoned() const noexcept { return phase_.load() == kAbandoned; }

    // Worker: true when its results will be used, false when the waiting side has already given up.
    bool TryFinish() noexcept { return Settle(kFinished); }
    // Waiting side: true when the worker has not finished yet and must now clean up by itself.
    bool TryAbandon() noexcept { return Settle(kAbandoned); }

private:
    static constexpr int kRunning = 0, kFinished = 1, kAbandoned = 2;
    bool Settle(int to) noexcept {
        int expected = kRunning;
        return phase_.compare_exchange_strong(expected, to) || expected == to;
    }
    std::atomic<ULONGLONG> lastProgress_{0};
    std::atomic<int> phase_{kRunning};
};

// Failed: the worker ended early by running out of memory; its results are not to be used.
enum class TaskOutcome { Done, TimedOut, Quit, NotStarted, Failed };

enum class Deadline { SinceStart, SinceProgress };

// `work` runs on a new thread and must keep everything it needs alive itself (capture shared_ptrs): when
// the wait times out or the program quits, the worker is left to end on its own time-outs. A worker that
// holds resources calls TryFinish itself and releases them when it returns false. Running out of memory in
// `work` fails the task; any other exception is a programming error and ends the program.
[[nodiscard]] TaskOutcome RunWhilePumping(std::function<void(TaskControl&)> work, DWORD limitMs, Deadline kind);
