#pragma once
// The skin's two thread hooks. A keyboard hook exists while at least one non-client engine is attached on the
// thread: it turns Alt+letter presses into menu-bar accelerators of the active skinned window. A message-filter
// hook exists only while a tracker has a popup open: it lets the tracker see the menu loop's keys and pointer
// moves. Both keep raw addresses only; engines unregister and trackers stop before they go.

#include <windows.h>

class cNCCalcSize;
class cToolbarMenu;

namespace mDeclares {

void RegisterEngine(cNCCalcSize* engine) noexcept;
void UnregisterEngine(cNCCalcSize* engine) noexcept;
// The first registered engine whose window is active; null for none.
[[nodiscard]] cNCCalcSize* ActiveEngine() noexcept;

void StartMessageFilter(cToolbarMenu* tracker) noexcept;
void StopMessageFilter() noexcept;
// A tracker that goes is forgotten, so the filter can never reach it.
void ForgetTracker(cToolbarMenu* tracker) noexcept;

[[nodiscard]] bool KeyboardHookInstalled() noexcept;
[[nodiscard]] bool MessageFilterInstalled() noexcept;

}  // namespace mDeclares
