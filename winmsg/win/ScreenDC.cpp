#include "ScreenDC.h"

#include "Handles.h"

HDC ScreenDC() noexcept {
    // Asked again while the display gives none (out of GDI handles, say), so that surfaces made later still work.
    thread_local UniqueMemDC display;
    if (!display) display.Reset(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    return display.Get();
}
