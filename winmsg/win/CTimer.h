#pragma once
// A timer that belongs to an object instead of a window. Setting Interval starts, changes and stops it; each
// elapsed interval raises ThatTime on the UI thread, from whichever message loop is running (the main loop or a
// wait that keeps pumping). A running timer is also kept by its slot in MTimer, so it outlives the owner's
// reference: an owner stops it (Interval 0) before letting it go, and connects to ThatTime through a
// TimerConnection that disconnects with the owner.

#include <windows.h>

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ITimerPulse.h"
#include "TimerConnection.h"

class CTimer final : public ITimerPulse, public std::enable_shared_from_this<CTimer> {
public:
    // Timers are always shared: a running one is also held by its slot.
    [[nodiscard]] static std::shared_ptr<CTimer> Create();
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;
    // Stops the timer. A running timer is kept by its slot, so only a stopped timer (or one that got no slot)
    // gets here.
    ~CTimer();

    /// Gets/sets a piece of additional data to store with the timer.
    [[nodiscard]] const std::any& Item() const noexcept { return item_; }
    /// Gets/sets a piece of additional data to store with the timer.
    void Item(std::any value) noexcept { item_ = std::move(value); }

    /// Gets/sets the interval at which the timer fires.  Set to zero to stop the timer.
    [[nodiscard]] std::int32_t Interval() const noexcept { return interval_; }
    /// Gets/sets the interval at which the timer fires.  Set to zero to stop the timer.
    // Milliseconds; a new value replaces the system timer, zero or less stops it. Throws ComponentError:
    // CantCreateTimer (the timer is left stopped), TooManyTimers (all 100 slots in use; the new system timer
    // keeps running without a slot, its ticks ignored, until the interval is changed or set to 0).
    void Interval(std::int32_t iIntervalA);

    /// Raised when the timer fires.
    // ThatTime: the handler runs on every tick while the returned connection lives.
    [[nodiscard]] TimerConnection Connect(std::function<void()> handler);

    // Raises ThatTime; called by MTimer's TimerProc. A handler's exception reaches the caller and the handlers
    // after it do not run for this tick.
    void PulseTimer() override;

    // The system timer's identifier, as MTimer handed it out: 0 while stopped or after a failed start.
    [[nodiscard]] UINT_PTR TimerID() const noexcept { return timerId_; }

private:
    friend class TimerConnection;
    CTimer() = default;

    void Disconnect(std::uint64_t id) noexcept;
    [[nodiscard]] bool IsConnected(std::uint64_t id) const noexcept;

    struct Handler {
        std::uint64_t id;
        std::shared_ptr<const std::function<void()>> call;
    };

    std::any item_;
    std::int32_t interval_ = 0;
    UINT_PTR timerId_ = 0;
    std::vector<Handler> handlers_;
    std::uint64_t nextHandlerId_ = 1;
};
