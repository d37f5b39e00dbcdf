#pragma once
// Runs blocking work (network transfers) on a worker thread while the calling thread waits with a deadline:
// the UI thread either keeps processing window messages, without spinning, or blocks outright where the design
// says so (the login post). The worker never touches a window.
//
// The worker keeps its own deadline and owns every handle it opens: it alone calls anything on them and closes
// them. The waiting side only says that it gives up, which the worker hears at once, since it never blocks in
// a platform call but waits for the call's completion, the deadline and the give-up together. So a deadline
// holds while the waiting thread sits in a modal loop, and no handle value is used after somebody closed it.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "winmsg/win/Handles.h"

// How long a task may take: `totalMs` from its start, `idleMs` without progress; INFINITE for no such limit.
struct TaskLimits {
    DWORD totalMs = INFINITE;
    DWORD idleMs = INFINITE;
};

// What a worker waits on for its own calls: each completion rings it, and so does a give-up. Inside the process
// (a condition variable), since under Wine every use of an event is a round trip to its server, and a photo made
// a dozen of them. Shared, as a call may finish after its task has ended.
class TaskBell {
public:
    void Ring() noexcept;
    [[nodiscard]] std::uint64_t Rings() noexcept;
    // Returns once the bell has rung past `seen`, or after `ms` (INFINITE: no limit), or spuriously now and then.
    void WaitPast(std::uint64_t seen, DWORD ms) noexcept;

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE rung_ = CONDITION_VARIABLE_INIT;
    std::uint64_t rings_ = 0;
};

// Shared by the waiting side and the worker. Exactly one of them decides how a task ends: the worker
// finishes it, or the waiting side abandons it first and the worker cleans up after itself.
class TaskControl {
public:
    // `started`: the limits count from now; otherwise from Begin().
    explicit TaskControl(TaskLimits limits, bool started = true) noexcept;
    TaskControl(const TaskControl&) = delete;
    TaskControl& operator=(const TaskControl&) = delete;

    void Touch() noexcept { lastProgress_.store(GetTickCount64(), std::memory_order_relaxed); }
    // The task starts now, unless it has started already: true for the one caller that started it.
    bool Begin() noexcept;
    // Milliseconds left before a limit is reached (0 once one is), INFINITE when none applies.
    [[nodiscard]] DWORD RemainingMs() const noexcept;
    [[nodiscard]] bool Abandoned() const noexcept { return phase_.load() == kAbandoned; }
    // Worker: waits `ms` without burning the processor; false, and at once, when the task is given up, runs out
    // of time or, if given, `stop` is set (whoever sets it rings the bell).
    [[nodiscard]] bool Rest(DWORD ms, const std::atomic<bool>* stop = nullptr) noexcept;
    // Rung once the waiting side has given up: the worker waits on it for its own calls too.
    [[nodiscard]] const std::shared_ptr<TaskBell>& Bell() const noexcept { return bell_; }
    [[nodiscard]] bool Ready() const noexcept { return static_cast<bool>(bell_); }

    // Worker: true when its results will be used, false when the waiting side has already given up.
    bool TryFinish() noexcept { return Settle(kFinished); }
    // Waiting side: true when the worker has not finished yet and must now clean up by itself.
    bool TryAbandon() noexcept;

private:
    static constexpr int kRunning = 0, kFinished = 1, kAbandoned = 2;
    bool Settle(int to) noexcept {
        int expected = kRunning;
        return phase_.compare_exchange_strong(expected, to) || expected == to;
    }

    const TaskLimits limits_;
    std::atomic<ULONGLONG> start_;  // 0 until the task starts
    std::atomic<ULONGLONG> lastProgress_;
    std::atomic<int> phase_{kRunning};
    std::shared_ptr<TaskBell> bell_;
};

struct TaskState;

// Failed: the worker ended early by running out of memory; its results are not to be used.
enum class TaskOutcome { Done, TimedOut, Quit, NotStarted, Failed };

// Lets a handler that runs inside a pumping wait give that wait's task up (a click on the button, say).
class TaskCanceller {
public:
    void Cancel() noexcept;

private:
    friend class QueuedTask;
    std::weak_ptr<TaskControl> task_;
};

// A task that the worker of the task before it may run as soon as it has finished its own work, so that
// transfers one after another need no trip through the waiting thread in between; else its own wait starts it.
// Its limits count from the moment it starts, whoever starts it.
class QueuedTask {
public:
    QueuedTask(std::function<void(TaskControl&)> work, TaskLimits limits);
    // A task still unstarted is never run; one still running is told to give up. A task waited for has ended.
    ~QueuedTask();
    QueuedTask(const QueuedTask&) = delete;
    QueuedTask& operator=(const QueuedTask&) = delete;

    // Asks the worker of `before` to run this task once it has finished (not given up) its own work; false when
    // `before` has ended already or could not be made.
    bool Follow(const QueuedTask& before);
    // Starts the task on the pool now, unless it has started.
    void Start();
    // As the destructor does: an unstarted task never runs, a running one is told to give up.
    void Cancel() noexcept;
    // Rings the task's bell: a worker resting between tries looks again at its reasons to stop.
    void Wake() noexcept;
    // Whether a task that was started or cancelled has ended.
    [[nodiscard]] bool HasEnded() const noexcept;
    // Waits up to `ms`, with window messages processed, until a task that was started or cancelled has ended;
    // false when it has not.
    bool WaitEnded(DWORD ms) noexcept;
    // Waits with window messages processed, as RunWhilePumping does; starts the task first unless a worker has.
    [[nodiscard]] TaskOutcome WaitPumping(TaskCanceller* canceller = nullptr);

private:
    std::shared_ptr<TaskState> state_;
};

// `work` runs on a thread of the pool and must keep everything it needs alive itself (capture shared_ptrs):
// when the wait times out or the program quits, the worker is told to give up and the waiting side gives it a
// moment to end. Running out of memory in `work` fails the task; any other exception is a programming error and
// ends the program. A task cancelled through `canceller` ends as TimedOut.
[[nodiscard]] TaskOutcome RunWhilePumping(std::function<void(TaskControl&)> work, TaskLimits limits,
                                          TaskCanceller* canceller = nullptr);

// The same with the calling thread blocked, no window messages processed, for at most `limitMs` from the start.
[[nodiscard]] TaskOutcome RunBlocking(std::function<void(TaskControl&)> work, DWORD limitMs);

// Starts `work` on the pool and does not wait for it; false when it could not be started.
bool RunDetached(std::function<void()> work);
