// A window owned by a second process, for the router's test of windows it must leave alone. Prints the window's
// handle on one line and keeps the window until it is closed (or for a minute at most). Answers WM_APP with 1
// while its window procedure is still its own and WM_APP + 1 with the number of properties on the window.
#include <windows.h>

#include <cstdio>

namespace {

int propertyCount = 0;

BOOL CALLBACK CountProperty(HWND, LPWSTR, HANDLE, ULONG_PTR) {
    ++propertyCount;
    return TRUE;
}

LRESULT CALLBACK ForeignProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_APP: return GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ForeignProc);
        case WM_APP + 1:
            propertyCount = 0;
            EnumPropsExW(hwnd, CountProperty, 0);
            return propertyCount;
        case WM_TIMER: DestroyWindow(hwnd); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int wmain() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ForeignProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VerdalyForeignWindow";
    if (!RegisterClassW(&wc)) return 1;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"foreign", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!hwnd) return 2;
    SetTimer(hwnd, 1, 60000, nullptr);  // never outlive a test that forgot us
    std::printf("%lld\n", static_cast<long long>(reinterpret_cast<LONG_PTR>(hwnd)));
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
