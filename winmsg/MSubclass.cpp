#include "MSubclass.h"

#include "CaughtException.h"
#include "ComponentError.h"
#include "SubclassPropName.h"

namespace {

using PropName = SubclassPropName;

// One value each for the whole process, set before every subscriber call and not restored afterwards.
UINT currentMessage = 0;
WNDPROC currentPrevious = nullptr;

// Property values are pointer-sized: a procedure, a count or a subscriber's address.
LONG_PTR Read(HWND hwnd, const PropName& name) noexcept {
    return reinterpret_cast<LONG_PTR>(GetPropW(hwnd, name.Get()));
}
bool Write(HWND hwnd, const PropName& name, LONG_PTR value) noexcept {
    return SetPropW(hwnd, name.Get(), reinterpret_cast<HANDLE>(value)) != FALSE;
}

LRESULT CallPrevious(WNDPROC previous, HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // Only a window whose properties someone else removed has none; the default procedure keeps it usable.
    if (!previous) return DefWindowProcW(hwnd, iMsg, wParam, lParam);
    return CallWindowProcW(previous, hwnd, iMsg, wParam, lParam);
}

LRESULT CALLBACK Router(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const auto previous = reinterpret_cast<WNDPROC>(Read(hwnd, PropName::Proc(hwnd)));
    const LONG_PTR n = Read(hwnd, PropName::MessageCount(hwnd, iMsg));
    if (n < 1) return CallPrevious(previous, hwnd, iMsg, wParam, lParam);

    bool oldCalled = false;
    LRESULT result = 0;
    for (LONG_PTR i = 1; i <= n; ++i) {
        // Read afresh each time: a subscriber may detach itself or another one while we dispatch.
        auto* subscriber = reinterpret_cast<ISubclass*>(Read(hwnd, PropName::Entry(hwnd, iMsg, i)));
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

// Takes one subscription off the window's count; the last one puts the previous procedure back.
void ReleaseWindowCount(HWND hwnd) noexcept {
    const PropName countName = PropName::WindowCount(hwnd);
    const LONG_PTR count = Read(hwnd, countName);
    if (count != 1) {
        Write(hwnd, countName, count - 1);
        return;
    }
    const PropName procName = PropName::Proc(hwnd);
    if (const LONG_PTR previous = Read(hwnd, procName)) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, previous);
    RemovePropW(hwnd, procName.Get());
    RemovePropW(hwnd, countName.Get());
}

}  // namespace

namespace MSubclass {

void AttachMessage(ISubclass* iwp, HWND hwnd, UINT iMsg) {
    if (!IsWindow(hwnd)) throw ComponentError(ComponentErrorCode::InvalidWindow);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != GetCurrentProcessId()) throw ComponentError(ComponentErrorCode::ExternalWindow);

    const PropName countName = PropName::WindowCount(hwnd);
    if (const LONG_PTR count = Read(hwnd, countName); count != 0) {
        Write(hwnd, countName, count + 1);
    } else {
        const LONG_PTR previous = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Router));
        if (previous == 0) throw ComponentError(ComponentErrorCode::CantSubclass);
        const PropName procName = PropName::Proc(hwnd);
        // Without its previous procedure recorded the router could not pass anything on: undo and fail.
        if (!Write(hwnd, procName, previous) || !Write(hwnd, countName, 1)) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, previous);
            RemovePropW(hwnd, procName.Get());
            RemovePropW(hwnd, countName.Get());
            throw ComponentError(ComponentErrorCode::CantSubclass);
        }
    }

    const PropName messageCountName = PropName::MessageCount(hwnd, iMsg);
    const LONG_PTR n = Read(hwnd, messageCountName);
    for (LONG_PTR i = 1; i <= n; ++i) {
        if (Read(hwnd, PropName::Entry(hwnd, iMsg, i)) == reinterpret_cast<LONG_PTR>(iwp)) {
            // The window's count was raised above; a refused subscription must not keep it raised, or the
            // window could never be given its procedure back.
            ReleaseWindowCount(hwnd);
            throw ComponentError(ComponentErrorCode::AlreadyHandled);
        }
    }
    Write(hwnd, messageCountName, n + 1);
    Write(hwnd, PropName::Entry(hwnd, iMsg, n + 1), reinterpret_cast<LONG_PTR>(iwp));
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
}

UINT CurrentMessage() noexcept {
    return currentMessage;
}

LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    return CallPrevious(currentPrevious, hwnd, iMsg, wParam, lParam);
}

}  // namespace MSubclass
