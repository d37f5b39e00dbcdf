#include "ScreenDC.h"

#include <atomic>

#include "Handles.h"

HDC ScreenDC() noexcept {
    // Asked again while the display gives none (out of GDI handles, say), so that surfaces made later still work.
    thread_local UniqueMemDC display;
    if (!display) display.Reset(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    return display.Get();
}

int ScreenDpi() noexcept {
    static std::atomic<int> known{0};
    if (const int dpi = known.load(std::memory_order_relaxed)) return dpi;
    const HDC screen = ScreenDC();
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (dpi <= 0) return 96;
    known.store(dpi, std::memory_order_relaxed);
    return dpi;
}
