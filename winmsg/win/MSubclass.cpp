#include "MSubclass.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

#include "CaughtException.h"
#include "ComponentError.h"
#include "SubclassPropName.h"

namespace {

using PropName = SubclassPropName;

// Set before every subscriber call and not restored afterwards. Each thread dispatches its own windows' messages,
// so each has its own: a value shared with another thread could change between a subscriber's two reads.
thread_local UINT currentMessage = 0;
thread_local WNDPROC currentPrevious = nullptr;

// One message's subscribers on one window, as {h}#{m}C and {h}#{m}#{i} hold them.
struct MessageEntry {
    UINT message;
    std::vector<ISubclass*> subscribers;  // in subscription order, never empty
};

// Where the message's entry is, or would go, among entries sorted by message.
template <typename Entries>
auto Place(Entries& entries, UINT iMsg) noexcept {
    return std::lower_bound(entries.begin(), entries.end(), iMsg,
                            [](const MessageEntry& m, UINT value) { return m.message < value; });
}

// One subclassed window, as {h} and C{h} hold it, and its messages that have subscribers.
struct WindowEntry {
    LONG_PTR previous = 0;
    LONG_PTR count = 0;
    std::vector<MessageEntry> messages;  // by message number
    [[nodiscard]] const MessageEntry* Find(UINT iMsg) const noexcept {
        const auto at = Place(messages, iMsg);
        return at != messages.end() && at->message == iMsg ? &*at : nullptr;
    }
};

// The subscriptions of every subclassed window as its properties hold them, for dispatch to read without asking
// the window (a property lookup is a round trip to the Wine server). Changed only beside the properties it mirrors.
class RouterIndex {
public:
    // What dispatch needs before the first subscriber runs.
    struct Start {
        WNDPROC previous = nullptr;
        LONG_PTR count = 0;  // {h}#{m}C
    };

    [[nodiscard]] Start Look(HWND hwnd, UINT iMsg) const noexcept {
        const SharedLock held(lock_);
        const WindowEntry* window = Lookup(hwnd);
        if (!window) return {};
        const MessageEntry* message = window->Find(iMsg);
        return {reinterpret_cast<WNDPROC>(window->previous),
                message ? static_cast<LONG_PTR>(message->subscribers.size()) : 0};
    }

    // {h}#{m}#{position}, or null where there is no such entry.
    [[nodiscard]] ISubclass* Subscriber(HWND hwnd, UINT iMsg, LONG_PTR position) const noexcept {
        const SharedLock held(lock_);
        const WindowEntry* window = Lookup(hwnd);
        const MessageEntry* message = window ? window->Find(iMsg) : nullptr;
        if (!message || position < 1 || position > static_cast<LONG_PTR>(message->subscribers.size())) return nullptr;
        return message->subscribers[static_cast<size_t>(position - 1)];
    }

    // The router was installed: {h} = previous and C{h} = count, nothing subscribed yet. Whatever an earlier window
    // of the same handle left is replaced. Throws only when memory runs out, changing nothing.
    void Install(HWND hwnd, LONG_PTR previous, LONG_PTR count) {
        WindowEntry fresh;
        fresh.previous = previous;
        fresh.count = count;
        const ExclusiveLock held(lock_);
        windows_.insert_or_assign(hwnd, std::move(fresh));
    }

    // C{h} was written.
    void SetCount(HWND hwnd, LONG_PTR count) noexcept {
        const ExclusiveLock held(lock_);
        if (WindowEntry* window = Lookup(hwnd)) window->count = count;
    }

    // {h}#{m}C and its entries are about to be written with these. Throws only when memory runs out, changing
    // nothing. A window without the router (destroyed meanwhile) gets no entry.
    void SetSubscribers(HWND hwnd, UINT iMsg, std::vector<ISubclass*> subscribers) {
        const ExclusiveLock held(lock_);
        WindowEntry* window = Lookup(hwnd);
        if (!window || subscribers.empty()) return;
        auto& messages = window->messages;
        const auto at = Place(messages, iMsg);
        if (at != messages.end() && at->message == iMsg) {
            at->subscribers = std::move(subscribers);
        } else {
            messages.insert(at, MessageEntry{iMsg, std::move(subscribers)});
        }
    }

    // The entry at `position` went and those after it moved up one.
    void RemoveSubscriber(HWND hwnd, UINT iMsg, LONG_PTR position) noexcept {
        const ExclusiveLock held(lock_);
        WindowEntry* window = Lookup(hwnd);
        if (!window) return;
        auto& messages = window->messages;
        const auto at = Place(messages, iMsg);
        if (at == messages.end() || at->message != iMsg) return;
        if (position < 1 || position > static_cast<LONG_PTR>(at->subscribers.size())) return;
        at->subscribers.erase(at->subscribers.begin() + (position - 1));
        if (at->subscribers.empty()) messages.erase(at);
    }

    // The router was taken off, or the window is going.
    void Drop(HWND hwnd) noexcept {
        const ExclusiveLock held(lock_);
        windows_.erase(hwnd);
    }

    [[nodiscard]] std::map<std::wstring, LONG_PTR> Properties(HWND hwnd) const {
        std::map<std::wstring, LONG_PTR> props;
        const SharedLock held(lock_);
        const WindowEntry* window = Lookup(hwnd);
        if (!window) return props;
        props[PropName::Proc(hwnd).Get()] = window->previous;
        props[PropName::WindowCount(hwnd).Get()] = window->count;
        for (const MessageEntry& m : window->messages) {
            props[PropName::MessageCount(hwnd, m.message).Get()] = static_cast<LONG_PTR>(m.subscribers.size());
            for (size_t i = 0; i < m.subscribers.size(); ++i) {
                props[PropName::Entry(hwnd, m.message, static_cast<LONG_PTR>(i + 1)).Get()] =
                    reinterpret_cast<LONG_PTR>(m.subscribers[i]);
            }
        }
        return props;
    }

private:
    struct SharedLock {
        explicit SharedLock(SRWLOCK& l) noexcept : lock(l) { AcquireSRWLockShared(&lock); }
        ~SharedLock() { ReleaseSRWLockShared(&lock); }
        SharedLock(const SharedLock&) = delete;
        SharedLock& operator=(const SharedLock&) = delete;
        SRWLOCK& lock;
    };
    struct ExclusiveLock {
        explicit ExclusiveLock(SRWLOCK& l) noexcept : lock(l) { AcquireSRWLockExclusive(&lock); }
        ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock); }
        ExclusiveLock(const ExclusiveLock&) = delete;
        ExclusiveLock& operator=(const ExclusiveLock&) = delete;
        SRWLOCK& lock;
    };

    [[nodiscard]] const WindowEntry* Lookup(HWND hwnd) const noexcept {
        const auto at = windows_.find(hwnd);
        return at == windows_.end() ? nullptr : &at->second;
    }
    [[nodiscard]] WindowEntry* Lookup(HWND hwnd) noexcept {
        const auto at = windows_.find(hwnd);
        return at == windows_.end() ? nullptr : &at->second;
    }

    // Several threads may have subscribed windows; dispatch only reads, attach and detach write.
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::unordered_map<HWND, WindowEntry> windows_;
};

// Never destroyed: windows may still get messages while the process's statics are torn down. Made by the first
// attach, before any router can run.
RouterIndex& Index() {
    static RouterIndex* const index = new RouterIndex;
    return *index;
}

// Property values are pointer-sized: a procedure, a count or a subscriber's address.
LONG_PTR Read(HWND hwnd, const PropName& name) noexcept {
    return reinterpret_cast<LONG_PTR>(GetPropW(hwnd, name.Get()));
}
bool Write(HWND hwnd, const PropName& name, LONG_PTR value) noexcept {
    return SetPropW(hwnd, name.Get(), reinterpret_cast<HANDLE>(value)) != FALSE;
}

LRESULT CallPrevious(WNDPROC previous, HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // Only a window the index does not know has none: its router installed by another thread a moment ago, or
    // still called by a later subclass after the last detach. The default procedure keeps it usable.
    if (!previous) return DefWindowProcW(hwnd, iMsg, wParam, lParam);
    return CallWindowProcW(previous, hwnd, iMsg, wParam, lParam);
}

LRESULT Dispatch(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const RouterIndex::Start start = Index().Look(hwnd, iMsg);
    const WNDPROC previous = start.previous;
    const LONG_PTR n = start.count;
    if (n < 1) return CallPrevious(previous, hwnd, iMsg, wParam, lParam);

    bool oldCalled = false;
    LRESULT result = 0;
    for (LONG_PTR i = 1; i <= n; ++i) {
        // Read afresh each time: a subscriber may detach itself or another one while we dispatch.
        ISubclass* subscriber = Index().Subscriber(hwnd, iMsg, i);
        if (!subscriber) {
            result = CallPrevious(previous, hwnd, iMsg, wParam, lParam);
            continue;
        }
        currentMessage = iMsg;
        currentPrevious = previous;
        // An exception must not unwind through user32: the dispatch stops at the failing subscriber and the
        // result so far is returned (0 when no subscriber finished).
        try {
            if (i == 1 && subscriber->MsgResponse() == mrCallOldBefore && !oldCalled) {
                CallPrevious(previous, hwnd, iMsg, wParam, lParam);
                oldCalled = true;
            }
            result = subscriber->WindowProc(hwnd, iMsg, wParam, lParam);
            if (i == n && subscriber->MsgResponse() == mrCallOldAfter && !oldCalled) {
                result = CallPrevious(previous, hwnd, iMsg, wParam, lParam);
                oldCalled = true;
            }
        } catch (...) {
            ReportCaughtException(L"the message router");
            return result;
        }
    }
    return result;
}

LRESULT CALLBACK Router(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const LRESULT result = Dispatch(hwnd, iMsg, wParam, lParam);
    // The window's properties go with it; its handle may come back as another window's.
    if (iMsg == WM_NCDESTROY) Index().Drop(hwnd);
    return result;
}

// Takes one subscription off the window's count; the last one puts the previous procedure back.
void ReleaseWindowCount(HWND hwnd) noexcept {
    const PropName countName = PropName::WindowCount(hwnd);
    const LONG_PTR count = Read(hwnd, countName);
    if (count != 1) {
        Write(hwnd, countName, count - 1);
        Index().SetCount(hwnd, count - 1);
        return;
    }
    const PropName procName = PropName::Proc(hwnd);
    if (const LONG_PTR previous = Read(hwnd, procName)) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, previous);
    RemovePropW(hwnd, procName.Get());
    RemovePropW(hwnd, countName.Get());
    Index().Drop(hwnd);
}

}  // namespace

namespace MSubclass {

void AttachMessage(ISubclass* iwp, HWND hwnd, UINT iMsg) {
    AttachMessages(iwp, hwnd, {&iMsg, 1});
}

void AttachMessages(ISubclass* iwp, HWND hwnd, std::span<const UINT> messages) {
    if (!IsWindow(hwnd)) throw ComponentError(ComponentErrorCode::InvalidWindow);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != GetCurrentProcessId()) throw ComponentError(ComponentErrorCode::ExternalWindow);
    if (messages.empty()) return;

    // Every message's subscribers are read, and a repeated subscription refused, before anything is written.
    std::vector<std::vector<ISubclass*>> lists(messages.size());
    for (size_t k = 0; k < messages.size(); ++k) {
        const UINT iMsg = messages[k];
        if (std::find(messages.begin(), messages.begin() + static_cast<std::ptrdiff_t>(k), iMsg) !=
            messages.begin() + static_cast<std::ptrdiff_t>(k))
            throw ComponentError(ComponentErrorCode::AlreadyHandled);
        const LONG_PTR n = Read(hwnd, PropName::MessageCount(hwnd, iMsg));
        std::vector<ISubclass*>& subscribers = lists[k];
        subscribers.reserve(static_cast<size_t>(std::max<LONG_PTR>(n, 0)) + 1);
        for (LONG_PTR i = 1; i <= n; ++i) {
            const LONG_PTR entry = Read(hwnd, PropName::Entry(hwnd, iMsg, i));
            if (entry == reinterpret_cast<LONG_PTR>(iwp)) throw ComponentError(ComponentErrorCode::AlreadyHandled);
            subscribers.push_back(reinterpret_cast<ISubclass*>(entry));
        }
        subscribers.push_back(iwp);
    }

    // The window's count rises by the whole batch in one write.
    const LONG_PTR added = static_cast<LONG_PTR>(messages.size());
    const PropName countName = PropName::WindowCount(hwnd);
    if (const LONG_PTR count = Read(hwnd, countName); count != 0) {
        Write(hwnd, countName, count + added);
        Index().SetCount(hwnd, count + added);
    } else {
        const LONG_PTR previous = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Router));
        if (previous == 0) throw ComponentError(ComponentErrorCode::CantSubclass);
        const PropName procName = PropName::Proc(hwnd);
        // Without its previous procedure recorded the router could not pass anything on: undo and fail.
        auto undo = [&] {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, previous);
            RemovePropW(hwnd, procName.Get());
            RemovePropW(hwnd, countName.Get());
        };
        if (!Write(hwnd, procName, previous) || !Write(hwnd, countName, added)) {
            undo();
            throw ComponentError(ComponentErrorCode::CantSubclass);
        }
        try {
            Index().Install(hwnd, previous, added);
        } catch (...) {
            undo();
            throw;
        }
    }

    for (size_t k = 0; k < messages.size(); ++k) {
        const UINT iMsg = messages[k];
        const LONG_PTR n = static_cast<LONG_PTR>(lists[k].size());
        try {
            Index().SetSubscribers(hwnd, iMsg, std::move(lists[k]));
        } catch (...) {
            // Out of memory: the messages not yet subscribed give their counts back, those before are taken off.
            for (size_t rest = k; rest < messages.size(); ++rest) ReleaseWindowCount(hwnd);
            for (size_t done = 0; done < k; ++done) DetachMessage(iwp, hwnd, messages[done]);
            throw;
        }
        Write(hwnd, PropName::MessageCount(hwnd, iMsg), n);
        Write(hwnd, PropName::Entry(hwnd, iMsg, n), reinterpret_cast<LONG_PTR>(iwp));
    }
}

void DetachMessage(ISubclass* iwp, HWND hwnd, UINT iMsg) noexcept {
    const PropName messageCountName = PropName::MessageCount(hwnd, iMsg);
    const LONG_PTR n = Read(hwnd, messageCountName);
    LONG_PTR found = 0;
    for (LONG_PTR i = 1; i <= n && found == 0; ++i) {
        if (Read(hwnd, PropName::Entry(hwnd, iMsg, i)) == reinterpret_cast<LONG_PTR>(iwp)) found = i;
    }
    // Detaching what is not attached would otherwise drop another subscriber's entry and count.
    if (found == 0) return;

    ReleaseWindowCount(hwnd);
    for (LONG_PTR i = found + 1; i <= n; ++i) {
        Write(hwnd, PropName::Entry(hwnd, iMsg, i - 1), Read(hwnd, PropName::Entry(hwnd, iMsg, i)));
    }
    RemovePropW(hwnd, PropName::Entry(hwnd, iMsg, n).Get());
    Write(hwnd, messageCountName, n - 1);
    Index().RemoveSubscriber(hwnd, iMsg, found);
}

UINT CurrentMessage() noexcept {
    return currentMessage;
}

LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    return CallPrevious(currentPrevious, hwnd, iMsg, wParam, lParam);
}

std::map<std::wstring, LONG_PTR> IndexedProperties(HWND hwnd) {
    return Index().Properties(hwnd);
}

}  // namespace MSubclass
