#pragma once
// What the timer table (MTimer) calls on a tick of a slot's system timer. The table holds a running timer only
// through this interface and never reads or writes the timer itself.

class ITimerPulse {
public:
    // One elapsed interval. An exception reaches the table, which reports it and keeps the timer running.
    virtual void PulseTimer() = 0;

protected:
    // The table's slot owns the timer through a shared pointer made from the timer's own type.
    ~ITimerPulse() = default;
};
