#include "CTimer.h"

#include <algorithm>
#include <utility>

#include "ComponentError.h"
#include "MTimer.h"

std::shared_ptr<CTimer> CTimer::Create() {
    return std::shared_ptr<CTimer>(new CTimer());
}

CTimer::~CTimer() {
    if (interval_ > 0) {
        interval_ = 0;
        MTimer::RemoveTimer(std::exchange(timerId_, 0));
    }
}

void CTimer::Interval(std::int32_t iIntervalA) {
    // Leaving the slot may drop the last reference to this timer: keep it alive to the end of the call.
    const std::shared_ptr<CTimer> keepAlive = weak_from_this().lock();
    const std::int32_t current = interval_;
    if (iIntervalA > 0) {
        if (iIntervalA == current) return;
        if (current != 0) MTimer::RemoveTimer(std::exchange(timerId_, 0));
        interval_ = iIntervalA;
        timerId_ = MTimer::StartTimer(static_cast<UINT>(iIntervalA));
        if (timerId_ == 0) {
            interval_ = 0;
            throw ComponentError(ComponentErrorCode::CantCreateTimer);
        }
        // Without a slot the new system timer keeps running: its identifier stays here so it can be killed.
        MTimer::AddTimer(timerId_, shared_from_this());
    } else if (current > 0) {
        interval_ = 0;
        MTimer::RemoveTimer(std::exchange(timerId_, 0));
    }
}

TimerConnection CTimer::Connect(std::function<void()> handler) {
    const std::uint64_t id = nextHandlerId_++;
    handlers_.push_back({id, std::make_shared<const std::function<void()>>(std::move(handler))});
    return TimerConnection(weak_from_this(), id);
}

void CTimer::PulseTimer() {
    // Handlers may connect, disconnect or stop the timer while we go through them: walk a copy of the ids and
    // call only those still connected when their turn comes.
    std::vector<std::uint64_t> ids;
    ids.reserve(handlers_.size());
    for (const Handler& h : handlers_) ids.push_back(h.id);
    const std::shared_ptr<CTimer> keepAlive = weak_from_this().lock();
    for (const std::uint64_t id : ids) {
        const auto it = std::find_if(handlers_.begin(), handlers_.end(), [id](const Handler& h) { return h.id == id; });
        if (it == handlers_.end()) continue;
        const std::shared_ptr<const std::function<void()>> call = it->call;
        if (*call) (*call)();
    }
}

void CTimer::Disconnect(std::uint64_t id) noexcept {
    std::erase_if(handlers_, [id](const Handler& h) { return h.id == id; });
}

bool CTimer::IsConnected(std::uint64_t id) const noexcept {
    return std::any_of(handlers_.begin(), handlers_.end(), [id](const Handler& h) { return h.id == id; });
}
