#include "ScreenDC.h"

#include "Handles.h"

HDC ScreenDC() noexcept {
    thread_local const UniqueMemDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    return display.Get();
}
