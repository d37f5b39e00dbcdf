#include "BackgroundTask.h"

#include <algorithm>
#include <memory>
#include <new>

#include "winmsg/win/MessagePump.h"

struct TaskState {
    TaskState(std::function<void(TaskControl&)> w, TaskLimits limits, bool started)
        : control(limits, started), work(std::move(w)) {}
    TaskControl control;
    std::function<void(TaskControl&)> work;  // dropped by the worker once done: its captures go with it
    UniqueKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> failed{false};  // written before `done` is signalled

    // The task its worker runs next; once `ended`, nothing more is taken.
    SRWLOCK followLock = SRWLOCK_INIT;
    std::shared_ptr<TaskState> follower;
    bool ended = false;
};

namespace {

// After giving up, how long the waiting side lets the worker end, so that its file and socket are gone when
// the wait returns. The worker hears of it at once; the time covers a platform call it finishes first.
constexpr DWORD kWindUpMs = 3000;

// What the worker left behind, once it has ended: its own results, unless somebody gave it up first.
TaskOutcome Ended(const TaskState& state) noexcept {
    if (state.control.Abandoned()) return TaskOutcome::TimedOut;
    return state.failed.load() ? TaskOutcome::Failed : TaskOutcome::Done;
}

void DebugNote([[maybe_unused]] const wchar_t* text) noexcept {
#ifndef NDEBUG
    OutputDebugStringW(text);
#endif
}

// Runs on a thread of the process's thread pool: a new thread per task costs milliseconds under Wine (every
// loaded DLL hears of it), which would add up over the photos of an album. The pool grows when a task blocks.
void CALLBACK RunTask(PTP_CALLBACK_INSTANCE, void* context) noexcept {
    std::unique_ptr<std::function<void()>> task(static_cast<std::function<void()>*>(context));
    (*task)();
}

bool Submit(std::function<void()> work) noexcept {
    std::unique_ptr<std::function<void()>> task;
    try {
        task = std::make_unique<std::function<void()>>(std::move(work));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!TrySubmitThreadpoolCallback(&RunTask, task.get(), nullptr)) return false;
    task.release();  // RunTask owns it now
    return true;
}

// Closes the task to followers; the one queued, if any.
std::shared_ptr<TaskState> EndFollowing(TaskState& state) noexcept {
    AcquireSRWLockExclusive(&state.followLock);
    state.ended = true;
    std::shared_ptr<TaskState> next = std::move(state.follower);
    ReleaseSRWLockExclusive(&state.followLock);
    return next;
}

// Runs the task, then every task queued to follow it that this worker gets to start, on this pool thread.
void RunChain(std::shared_ptr<TaskState> state) noexcept {
    while (state) {
        // Running out of memory (for a large body, say) fails this task alone. Nothing else is caught: any
        // other exception is a bug, and leaving the pool callback ends the program instead of passing for a
        // network failure.
        try {
            state->work(state->control);
        } catch (const std::bad_alloc&) {
            DebugNote(L"Verdaly: a background task ran out of memory\n");
            state->failed.store(true);
        }
        state->work = nullptr;
        const bool finished = state->control.TryFinish();
        std::shared_ptr<TaskState> next = EndFollowing(*state);
        // Taken before the waiting side hears of the end, so that its next wait finds the next task running.
        if (!finished || !next || !next->control.Begin()) next.reset();
        SetEvent(state->done.Get());
        state = std::move(next);
    }
}

std::shared_ptr<TaskState> Make(std::function<void(TaskControl&)> work, TaskLimits limits, bool started) {
    auto state = std::make_shared<TaskState>(std::move(work), limits, started);
    if (!state->done || !state->control.Ready()) return nullptr;
    return state;
}

// A started task onto the pool; false when it could not be: then it has ended as failed.
bool Launch(const std::shared_ptr<TaskState>& state) {
    if (Submit([state] { RunChain(state); })) return true;
    state->failed.store(true);
    state->control.TryFinish();
    (void)EndFollowing(*state);
    SetEvent(state->done.Get());
    return false;
}

// Gives up on the worker, unless it has just finished: then its results stand.
TaskOutcome GiveUp(TaskState& state, TaskOutcome why, bool pumping) {
    if (!state.control.TryAbandon()) return Ended(state);
    if (pumping) {
        (void)MessagePump::WaitFor(state.done.Get(), kWindUpMs);
    } else {
        WaitForSingleObject(state.done.Get(), kWindUpMs);
    }
    return why;
}

// Milliseconds from `now` to `from` + `limit`, 0 when past; INFINITE for no limit.
ULONGLONG Left(ULONGLONG now, ULONGLONG from, DWORD limit) noexcept {
    if (limit == INFINITE) return INFINITE;
    const ULONGLONG end = from + limit;
    return end > now ? end - now : 0;
}

}  // namespace

void TaskBell::Ring() noexcept {
    AcquireSRWLockExclusive(&lock_);
    ++rings_;
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&rung_);
}

std::uint64_t TaskBell::Rings() noexcept {
    AcquireSRWLockShared(&lock_);
    const std::uint64_t rings = rings_;
    ReleaseSRWLockShared(&lock_);
    return rings;
}

void TaskBell::WaitPast(std::uint64_t seen, DWORD ms) noexcept {
    AcquireSRWLockExclusive(&lock_);
    if (rings_ == seen) SleepConditionVariableSRW(&rung_, &lock_, ms, 0);
    ReleaseSRWLockExclusive(&lock_);
}

TaskControl::TaskControl(TaskLimits limits, bool started) noexcept
    : limits_(limits), start_(started ? GetTickCount64() : 0), lastProgress_(start_.load()) {
    try {
        bell_ = std::make_shared<TaskBell>();
    } catch (const std::bad_alloc&) {
        // Not Ready(): the task does not start.
    }
}

bool TaskControl::Begin() noexcept {
    ULONGLONG unstarted = 0;
    const ULONGLONG now = GetTickCount64();
    if (!start_.compare_exchange_strong(unstarted, now)) return false;
    lastProgress_.store(now, std::memory_order_relaxed);
    return true;
}

DWORD TaskControl::RemainingMs() const noexcept {
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG start = start_.load();
    const ULONGLONG total = Left(now, start, limits_.totalMs);
    // Progress counts from the start, also when another thread started the task a moment ago.
    const ULONGLONG idle = Left(now, std::max(start, lastProgress_.load(std::memory_order_relaxed)), limits_.idleMs);
    const ULONGLONG left = total < idle ? total : idle;
    // INFINITE itself is never a remainder of a finite limit: those stay below it.
    return left >= INFINITE ? INFINITE : static_cast<DWORD>(left);
}

bool TaskControl::Rest(DWORD ms, const std::atomic<bool>* stop) noexcept {
    if (!bell_) return false;
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        // Read before the conditions: a ring after them ends the wait at once.
        const std::uint64_t seen = bell_->Rings();
        if (Abandoned() || (stop && stop->load())) return false;
        const DWORD left = RemainingMs();
        const ULONGLONG now = GetTickCount64();
        if (left == 0) return false;
        if (now >= end) return true;
        bell_->WaitPast(seen, static_cast<DWORD>(std::min<ULONGLONG>(end - now, left)));
    }
}

bool TaskControl::TryAbandon() noexcept {
    if (!Settle(kAbandoned)) return false;
    bell_->Ring();
    return true;
}

void TaskCanceller::Cancel() noexcept {
    if (const auto task = task_.lock()) task->TryAbandon();
}

QueuedTask::QueuedTask(std::function<void(TaskControl&)> work, TaskLimits limits)
    : state_(Make(std::move(work), limits, false)) {}

QueuedTask::~QueuedTask() {
    Cancel();
}

void QueuedTask::Cancel() noexcept {
    if (!state_) return;
    // Unstarted, it is claimed here so that no worker starts it, and has ended; started, its worker is told to
    // give up (which changes nothing once it has finished).
    const bool claimed = state_->control.Begin();
    state_->control.TryAbandon();
    if (claimed) SetEvent(state_->done.Get());
}

void QueuedTask::Wake() noexcept {
    if (state_ && state_->control.Ready()) state_->control.Bell()->Ring();
}

bool QueuedTask::HasEnded() const noexcept {
    return !state_ || WaitForSingleObject(state_->done.Get(), 0) == WAIT_OBJECT_0;
}

bool QueuedTask::WaitEnded(DWORD ms) noexcept {
    if (!state_) return true;
    const HANDLE done = state_->done.Get();
    switch (MessagePump::WaitFor(done, ms)) {
        case MessagePump::WaitResult::Signalled: return true;
        // The program is ending: its windows are gone, so this wait need not process messages.
        case MessagePump::WaitResult::Quit: return WaitForSingleObject(done, ms) == WAIT_OBJECT_0;
        default: return false;
    }
}

bool QueuedTask::Follow(const QueuedTask& before) {
    if (!state_ || !before.state_) return false;
    TaskState& b = *before.state_;
    AcquireSRWLockExclusive(&b.followLock);
    const bool queued = !b.ended;
    if (queued) b.follower = state_;
    ReleaseSRWLockExclusive(&b.followLock);
    return queued;
}

void QueuedTask::Start() {
    if (state_ && state_->control.Begin()) (void)Launch(state_);
}

TaskOutcome QueuedTask::WaitPumping(TaskCanceller* canceller) {
    const auto& state = state_;
    if (!state) return TaskOutcome::NotStarted;
    if (state->control.Begin() && !Launch(state)) return TaskOutcome::NotStarted;
    if (canceller) canceller->task_ = std::shared_ptr<TaskControl>(state, &state->control);

    TaskOutcome outcome = TaskOutcome::TimedOut;
    for (;;) {
        // The worker keeps the same deadline and ends by itself, even while this thread sits in a modal loop;
        // this wait only adds a backstop for a worker that does not come back in time.
        const DWORD left = state->control.RemainingMs();
        if (left == 0) {
            outcome = GiveUp(*state, TaskOutcome::TimedOut, true);
            break;
        }
        const auto r = MessagePump::WaitFor(state->done.Get(), left);
        if (r == MessagePump::WaitResult::Signalled) {
            outcome = Ended(*state);
            break;
        }
        if (r == MessagePump::WaitResult::Failed) {  // looping would spin without processing messages
            outcome = GiveUp(*state, TaskOutcome::TimedOut, true);
            break;
        }
        if (r == MessagePump::WaitResult::Quit) {
            // The program is ending: its windows are gone, so the wind-up need not process messages.
            outcome = GiveUp(*state, TaskOutcome::Quit, false);
            break;
        }
    }
    if (canceller) canceller->task_.reset();
    return outcome;
}

TaskOutcome RunWhilePumping(std::function<void(TaskControl&)> work, TaskLimits limits, TaskCanceller* canceller) {
    return QueuedTask(std::move(work), limits).WaitPumping(canceller);
}

TaskOutcome RunBlocking(std::function<void(TaskControl&)> work, DWORD limitMs) {
    const auto state = Make(std::move(work), TaskLimits{limitMs, INFINITE}, true);
    if (!state || !Launch(state)) return TaskOutcome::NotStarted;
    if (WaitForSingleObject(state->done.Get(), limitMs) == WAIT_OBJECT_0) return Ended(*state);
    // No wind-up here: the limit is all the time the caller may stay blocked.
    return state->control.TryAbandon() ? TaskOutcome::TimedOut : Ended(*state);
}

bool RunDetached(std::function<void()> work) {
    return Submit(std::move(work));
}
