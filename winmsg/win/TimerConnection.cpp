#include "TimerConnection.h"

#include <utility>

#include "CTimer.h"

TimerConnection::TimerConnection(TimerConnection&& other) noexcept
    : timer_(std::move(other.timer_)), id_(std::exchange(other.id_, 0)) {}

TimerConnection& TimerConnection::operator=(TimerConnection&& other) noexcept {
    if (this != &other) {
        Disconnect();
        timer_ = std::move(other.timer_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void TimerConnection::Disconnect() noexcept {
    if (id_ == 0) return;
    if (const std::shared_ptr<CTimer> timer = timer_.lock()) timer->Disconnect(id_);
    timer_.reset();
    id_ = 0;
}

bool TimerConnection::Connected() const noexcept {
    const std::shared_ptr<CTimer> timer = timer_.lock();
    return id_ != 0 && timer && timer->IsConnected(id_);
}
