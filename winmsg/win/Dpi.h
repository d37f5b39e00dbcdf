#pragma once
// Which DPI a window draws at, and the platform's sizes at that DPI. The per-monitor functions exist only from
// Windows 10 on: they are looked up when first used, and an older system gets the DPI the session started with,
// so the program still starts there.

#include <windows.h>

// The DPI the session started with: the screen's, read once.
[[nodiscard]] int SystemDpi() noexcept;
// The DPI of the window's monitor as the system scales it for this program (GetDpiForWindow), or SystemDpi.
[[nodiscard]] int WindowDpi(HWND window) noexcept;
// The DPI of a monitor (GetDpiForMonitor), or SystemDpi.
[[nodiscard]] int MonitorDpi(HMONITOR monitor) noexcept;
// GetSystemMetricsForDpi, or the metric at the session's DPI scaled to `dpi`.
[[nodiscard]] int SystemMetricForDpi(int index, int dpi) noexcept;
// AdjustWindowRectExForDpi without a menu, or AdjustWindowRectEx with its sizes scaled to `dpi`.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept;
