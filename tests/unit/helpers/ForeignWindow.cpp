// A window owned by a second process, for the router's test of windows it must leave alone. Answers WM_APP with 1
// while its procedure is still its own and it carries no property; closes on WM_CLOSE, or after a minute.
#include <windows.h>

LRESULT CALLBACK ForeignProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto anyProperty = [](HWND, LPWSTR, HANDLE, ULONG_PTR) -> BOOL { return TRUE; };
    if (msg == WM_APP) {
        return GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ForeignProc) &&
               EnumPropsExW(hwnd, anyProperty, 0) == -1;
    }
    if (msg == WM_TIMER) DestroyWindow(hwnd);
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int wmain() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ForeignProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VerdalyForeignWindow";
    RegisterClassW(&wc);
    HWND hwnd =
        CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
    SetTimer(hwnd, 1, 60000, nullptr);  // never outlive a test that forgot us
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
