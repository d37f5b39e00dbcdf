#include "Dpi.h"

#include <atomic>

#include "winmsg/DpiScale.h"
#include "ScreenDC.h"

namespace {

// The functions older systems lack, looked up once. user32 is loaded by every window program; shcore, which only
// the monitor's DPI needs, is taken from the system folder alone.
struct DpiFunctions {
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    int(WINAPI* metricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* adjustForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
};

template <typename F>
void Resolve(HMODULE module, const char* name, F& into) noexcept {
    if (module) into = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const DpiFunctions& Functions() noexcept {
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        const HMODULE user = GetModuleHandleW(L"user32.dll");
        Resolve(user, "GetDpiForWindow", f.dpiForWindow);
        Resolve(user, "GetSystemMetricsForDpi", f.metricsForDpi);
        Resolve(user, "AdjustWindowRectExForDpi", f.adjustForDpi);
        Resolve(LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor",
                f.dpiForMonitor);
        return f;
    }();
    return functions;
}

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

int SystemDpi() noexcept {
    static std::atomic<int> known{0};
    if (const int dpi = known.load(std::memory_order_relaxed)) return dpi;
    const HDC screen = ScreenDC();
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (dpi <= 0) return kBaseDpi;
    known.store(dpi, std::memory_order_relaxed);
    return dpi;
}

int WindowDpi(HWND window) noexcept {
    const auto dpiForWindow = Functions().dpiForWindow;
    const UINT dpi = window && dpiForWindow ? dpiForWindow(window) : 0;
    return dpi ? static_cast<int>(dpi) : SystemDpi();
}

int MonitorDpi(HMONITOR monitor) noexcept {
    UINT x = 0, y = 0;
    const auto dpiForMonitor = Functions().dpiForMonitor;
    if (monitor && dpiForMonitor && SUCCEEDED(dpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y) return static_cast<int>(y);
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) noexcept {
    if (const auto metricsForDpi = Functions().metricsForDpi) return metricsForDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept {
    if (const auto adjustForDpi = Functions().adjustForDpi)
        return adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)) != 0;
    RECT frame{};
    if (!AdjustWindowRectEx(&frame, style, FALSE, exStyle)) return false;
    const int system = SystemDpi();
    rect.left += MulDiv(frame.left, dpi, system);
    rect.top += MulDiv(frame.top, dpi, system);
    rect.right += MulDiv(frame.right, dpi, system);
    rect.bottom += MulDiv(frame.bottom, dpi, system);
    return true;
}
