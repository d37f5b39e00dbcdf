#pragma once
// An owner's connection to a CTimer's ThatTime event. It disconnects when it goes, so a timer that outlives
// its owner (a running timer is kept by its slot) never calls into an owner that is gone: keep it as a member
// declared after the timer, or anywhere that dies with the owner.

#include <cstdint>
#include <memory>

class CTimer;

class TimerConnection {
public:
    TimerConnection() noexcept = default;
    TimerConnection(TimerConnection&& other) noexcept;
    TimerConnection& operator=(TimerConnection&& other) noexcept;
    TimerConnection(const TimerConnection&) = delete;
    TimerConnection& operator=(const TimerConnection&) = delete;
    ~TimerConnection() { Disconnect(); }

    // The handler is not called again, not even by a tick already being delivered to earlier handlers.
    void Disconnect() noexcept;
    [[nodiscard]] bool Connected() const noexcept;

private:
    friend class CTimer;
    TimerConnection(std::weak_ptr<CTimer> timer, std::uint64_t id) noexcept : timer_(std::move(timer)), id_(id) {}

    std::weak_ptr<CTimer> timer_;
    std::uint64_t id_ = 0;
};
