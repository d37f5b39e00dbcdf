#pragma once
// Runs blocking work (network transfers) on a worker thread while the calling thread waits with a deadline:
// the UI thread either keeps processing window messages, without spinning, or blocks outright where the design
// says so (the login post). The worker never touches a window.

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <functional>

#include "Handles.h"

// Shared by the waiting side and the worker. Exactly one of them decides how a task ends: the worker
// finishes it, or the waiting side abandons it first and the worker cleans up after itself.
class TaskControl {
public:
    TaskControl() noexcept = default;
    TaskControl(const TaskControl&) = delete;
    TaskControl& operator=(const TaskControl&) = delete;

    void Touch() noexcept { lastProgress_.store(GetTickCount64(), std::memory_order_relaxed); }
    [[nodiscard]] ULONGLONG LastProgress() const noexcept { return lastProgress_.load(std::memory_order_relaxed); }
    [[nodiscard]] bool Abandoned() const noexcept { return phase_.load() == kAbandoned; }

    // Worker: true when its results will be used, false when the waiting side has already given up.
    bool TryFinish() noexcept { return Settle(kFinished); }
    // Waiting side: true when the worker has not finished yet and must now clean up by itself. Closes the
    // request the worker has lent, which ends a call blocked in it wherever the platform allows.
    bool TryAbandon() noexcept;

    // Worker: hands its request over for the time of the transfer, so that giving up closes it. Returns the
    // handle to use, or null when the task was abandoned already (the request is closed then).
    [[nodiscard]] HINTERNET Lend(UniqueInternet request) noexcept;
    // Worker: closes the lent request unless the waiting side has closed it already.
    void CloseLent() noexcept;

private:
    static constexpr int kRunning = 0, kFinished = 1, kAbandoned = 2;
    bool Settle(int to) noexcept {
        int expected = kRunning;
        return phase_.compare_exchange_strong(expected, to) || expected == to;
    }
    UniqueInternet TakeLent() noexcept;

    std::atomic<ULONGLONG> lastProgress_{0};
    std::atomic<int> phase_{kRunning};
    SRWLOCK lock_ = SRWLOCK_INIT;
    UniqueInternet lent_;
};

// Failed: the worker ended early by running out of memory; its results are not to be used.
enum class TaskOutcome { Done, TimedOut, Quit, NotStarted, Failed };

enum class Deadline { SinceStart, SinceProgress };

// `work` runs on a thread of the pool and must keep everything it needs alive itself (capture shared_ptrs):
// when the wait times out or the program quits, the lent request is closed and the waiting side gives the
// worker a moment to end; one still blocked where the platform cannot interrupt it ends on its own
// time-outs. A worker that holds resources calls TryFinish itself and releases them when it returns false.
// Running out of memory in `work` fails the task; any other exception is a programming error and ends the
// program.
[[nodiscard]] TaskOutcome RunWhilePumping(std::function<void(TaskControl&)> work, DWORD limitMs, Deadline kind);

// The same with the calling thread blocked, no window messages processed, for at most `limitMs` from the start.
[[nodiscard]] TaskOutcome RunBlocking(std::function<void(TaskControl&)> work, DWORD limitMs);

// Starts `work` on the pool and does not wait for it; false when it could not be started.
bool RunDetached(std::function<void()> work);
