#pragma once
// The system's frame sizes at a window's DPI: the session's own where the window draws at the session's DPI (as
// they have always been read), else the platform's sizes for that DPI.

#include <windows.h>

#include "winmsg/win/Dpi.h"

[[nodiscard]] inline int FrameMetric(int index, int dpi) noexcept {
    return dpi == SystemDpi() ? GetSystemMetrics(index) : SystemMetricForDpi(index, dpi);
}
