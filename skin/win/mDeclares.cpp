#include "mDeclares.h"

#include <algorithm>
#include <vector>

#include "winmsg/win/CaughtException.h"
#include "winmsg/win/Handles.h"
#include "skin/MenuLayout.h"
#include "cNCCalcSize.h"
#include "cToolbarMenu.h"

namespace {

// Thread hooks see only their own thread's input, so each thread keeps its own.
struct HookState {
    UniqueHook keyboard;
    std::vector<cNCCalcSize*> engines;
    UniqueHook filter;
    cToolbarMenu* tracker = nullptr;
    // An Alt+letter we used leaves an Alt release that would put the window into the system's menu mode.
    bool swallowAltRelease = false;
};

thread_local HookState state;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        const auto vKey = static_cast<unsigned>(wParam);
        const auto flags = static_cast<std::uint32_t>(lParam);
        if (state.keyboard) {
            if (state.swallowAltRelease && skin::IsAltRelease(code, vKey, flags)) {
                state.swallowAltRelease = false;
                return 1;
            }
            // Ctrl as of this key's own message: when keys queue up, the live state has moved on past it.
            const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
            if (skin::IsAltAccelerator(code, vKey, flags, ctrl)) {
                if (cNCCalcSize* engine = mDeclares::ActiveEngine()) {
                    // Set before the call: the popup's loop runs inside it and may see the release itself.
                    state.swallowAltRelease = true;
                    if (engine->ForwardAltKey(vKey)) return 1;
                    state.swallowAltRelease = false;
                }
            }
        }
    } catch (...) {
        ReportCaughtException(L"the keyboard hook");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (code == MSGF_MENU && state.tracker && lParam) {
            const MSG msg = *reinterpret_cast<const MSG*>(lParam);
            if (state.tracker->FilterMessage(msg)) return 1;
        }
    } catch (...) {
        ReportCaughtException(L"the menu's message filter");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

namespace mDeclares {

void RegisterEngine(cNCCalcSize* engine) noexcept {
    if (!engine) return;
    if (!state.keyboard) {
        state.keyboard.Reset(SetWindowsHookExW(WH_KEYBOARD, &KeyboardProc, nullptr, GetCurrentThreadId()));
    }
    try {
        if (std::find(state.engines.begin(), state.engines.end(), engine) == state.engines.end())
            state.engines.push_back(engine);
    } catch (...) {
        ReportCaughtException(L"the engines' registry");
    }
}

void UnregisterEngine(cNCCalcSize* engine) noexcept {
    std::erase(state.engines, engine);
    if (state.engines.empty()) {
        state.keyboard.Reset();
        state.swallowAltRelease = false;
    }
}

cNCCalcSize* ActiveEngine() noexcept {
    for (cNCCalcSize* engine : state.engines) {
        if (engine->WindowActive()) return engine;
    }
    return nullptr;
}

void StartMessageFilter(cToolbarMenu* tracker) noexcept {
    state.filter.Reset();
    state.tracker = tracker;
    state.filter.Reset(SetWindowsHookExW(WH_MSGFILTER, &MessageFilterProc, nullptr, GetCurrentThreadId()));
}

void StopMessageFilter() noexcept {
    state.filter.Reset();
    state.tracker = nullptr;
}

void ForgetTracker(cToolbarMenu* tracker) noexcept {
    if (state.tracker != tracker) return;
    StopMessageFilter();
}

bool KeyboardHookInstalled() noexcept {
    return static_cast<bool>(state.keyboard);
}

bool MessageFilterInstalled() noexcept {
    return static_cast<bool>(state.filter);
}

}  // namespace mDeclares
