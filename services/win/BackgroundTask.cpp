#include "BackgroundTask.h"

#include <memory>
#include <new>

#include "MessagePump.h"

namespace {

// After giving up, how long the waiting side lets the worker end, so that its file and socket are gone when
// the wait returns. A call the platform interrupts ends at once. Under Wine closing the request does not wake
// a call blocked in it: that call ends on its own time-out, which for a transfer that stalled early falls
// close to the deadline.
constexpr DWORD kWindUpMs = 3000;

struct TaskState {
    TaskControl control;
    UniqueKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> failed{false};  // written before `done` is signalled
};

// What the worker left behind, once it has ended.
TaskOutcome Ended(const TaskState& state) noexcept {
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

std::shared_ptr<TaskState> Start(std::function<void(TaskControl&)> work) {
    auto state = std::make_shared<TaskState>();
    if (!state->done) return nullptr;
    state->control.Touch();
    const bool started = Submit([state, work = std::move(work)] {
        // Running out of memory (for a large body, say) fails this task alone. Nothing else is caught: any
        // other exception is a bug, and leaving the pool callback ends the program instead of passing for a
        // network failure.
        try {
            work(state->control);
        } catch (const std::bad_alloc&) {
            DebugNote(L"Verdaly: a background task ran out of memory\n");
            state->failed.store(true);
        }
        state->control.CloseLent();
        state->control.TryFinish();
        SetEvent(state->done.Get());
    });
    return started ? state : nullptr;
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

}  // namespace

bool TaskControl::TryAbandon() noexcept {
    if (!Settle(kAbandoned)) return false;
    TakeLent().Reset();
    return true;
}

HINTERNET TaskControl::Lend(UniqueInternet request) noexcept {
    AcquireSRWLockExclusive(&lock_);
    // Looked at under the lock: an abandon that comes later finds the request here and closes it.
    const bool abandoned = Abandoned();
    if (!abandoned) lent_ = std::move(request);
    const HINTERNET handle = lent_.Get();
    ReleaseSRWLockExclusive(&lock_);
    return abandoned ? nullptr : handle;
}

void TaskControl::CloseLent() noexcept {
    TakeLent().Reset();
}

UniqueInternet TaskControl::TakeLent() noexcept {
    AcquireSRWLockExclusive(&lock_);
    UniqueInternet request = std::move(lent_);
    ReleaseSRWLockExclusive(&lock_);
    return request;
}

TaskOutcome RunWhilePumping(std::function<void(TaskControl&)> work, DWORD limitMs, Deadline kind) {
    const auto state = Start(std::move(work));
    if (!state) return TaskOutcome::NotStarted;

    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const ULONGLONG from = kind == Deadline::SinceStart ? start : state->control.LastProgress();
        const ULONGLONG elapsed = now > from ? now - from : 0;
        if (elapsed >= limitMs) break;
        // Wake at the deadline at the latest; a progress deadline moves, so look again then.
        const auto r = MessagePump::WaitFor(state->done.Get(), static_cast<DWORD>(limitMs - elapsed));
        if (r == MessagePump::WaitResult::Signalled) return Ended(*state);
        if (r == MessagePump::WaitResult::Failed) break;  // looping would spin without processing messages
        // The program is ending: its windows are gone, so the wind-up need not process messages.
        if (r == MessagePump::WaitResult::Quit) return GiveUp(*state, TaskOutcome::Quit, false);
    }
    return GiveUp(*state, TaskOutcome::TimedOut, true);
}

TaskOutcome RunBlocking(std::function<void(TaskControl&)> work, DWORD limitMs) {
    const auto state = Start(std::move(work));
    if (!state) return TaskOutcome::NotStarted;
    if (WaitForSingleObject(state->done.Get(), limitMs) == WAIT_OBJECT_0) return Ended(*state);
    // No wind-up here: the limit is all the time the caller may stay blocked.
    return state->control.TryAbandon() ? TaskOutcome::TimedOut : Ended(*state);
}

bool RunDetached(std::function<void()> work) {
    return Submit(std::move(work));
}
