#include "BackgroundTask.h"

#include <atomic>
#include <memory>
#include <new>

#include "Handles.h"
#include "MessagePump.h"

namespace {

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

}  // namespace

TaskOutcome RunWhilePumping(std::function<void(TaskControl&)> work, DWORD limitMs, Deadline kind) {
    auto state = std::make_shared<TaskState>();
    if (!state->done) return TaskOutcome::NotStarted;
    state->control.Touch();
    std::unique_ptr<std::function<void()>> task;
    try {
        task = std::make_unique<std::function<void()>>([state, work = std::move(work)] {
            // Running out of memory (for a large body, say) fails this task alone. Nothing else is caught: any
            // other exception is a bug, and leaving the pool callback ends the program instead of passing for a
            // network failure.
            try {
                work(state->control);
            } catch (const std::bad_alloc&) {
                DebugNote(L"Verdaly: a background task ran out of memory\n");
                state->failed.store(true);
            }
            state->control.TryFinish();
            SetEvent(state->done.Get());
        });
    } catch (const std::bad_alloc&) {
        return TaskOutcome::NotStarted;
    }
    if (!TrySubmitThreadpoolCallback(&RunTask, task.get(), nullptr)) return TaskOutcome::NotStarted;
    task.release();  // RunTask owns it now

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
        if (r == MessagePump::WaitResult::Quit) return state->control.TryAbandon() ? TaskOutcome::Quit : Ended(*state);
    }
    // The worker may have finished just now; then its results stand.
    return state->control.TryAbandon() ? TaskOutcome::TimedOut : Ended(*state);
}
