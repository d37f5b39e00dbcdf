#include "BackgroundTask.h"

#include <memory>

#include "Handles.h"
#include "MessagePump.h"

namespace {

struct TaskState {
    TaskControl control;
    UniqueKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

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
            // The pool callback must not throw (running out of memory for a body, say): the task just ends.
            try {
                work(state->control);
            } catch (...) {
            }
            state->control.TryFinish();
            SetEvent(state->done.Get());
        });
    } catch (...) {
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
        if (r == MessagePump::WaitResult::Signalled) return TaskOutcome::Done;
        if (r == MessagePump::WaitResult::Failed) break;  // looping would spin without processing messages
        if (r == MessagePump::WaitResult::Quit)
            return state->control.TryAbandon() ? TaskOutcome::Quit : TaskOutcome::Done;
    }
    // The worker may have finished just now; then its results stand.
    return state->control.TryAbandon() ? TaskOutcome::TimedOut : TaskOutcome::Done;
}
