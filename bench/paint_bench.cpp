// What painting costs in the main window itself: a full non-client paint of the skinned frame, and a repaint of
// each of our own controls (what a WM_PAINT does, and for the bar what a new value does). The window is the
// program's own, made by the same code as in Verdaly.exe, and timed from inside this process. Prints figures;
// asserts nothing.
//   verdaly-paint-bench [PAINTS]      (run in a folder where it may write Verdaly.ini)
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "controls/host/win/HostedControl.h"
#include "app/Layout.h"
#include "app/win/MainForm.h"
#include "controls/progressbar/win/ProgressBar.h"

namespace {

double NowUs() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Lets the window settle: every message that is waiting is handled.
void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

struct Figure {
    double min;
    double median;
};

// Microseconds per call of `paint`, each call timed alone, with what GDI batched flushed before the clock stops.
Figure Time(int count, const std::function<void(int)>& paint) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double start = NowUs();
        paint(i);
        GdiFlush();
        times.push_back(NowUs() - start);
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

void Print(const char* what, const std::string& name, Figure f) {
    std::printf("%-26s %-14s min %7.1f us  median %7.1f us\n", what, name.c_str(), f.min, f.median);
}

std::string NameOf(HWND control) {
    const int id = GetDlgCtrlID(control);
    for (const ControlSpec& entry : kControls)
        if (entry.id == id) return entry.name;
    return "?";
}

BOOL CALLBACK CollectOurs(HWND hwnd, LPARAM context) {
    if (HostedControl::FromHwnd(hwnd)) reinterpret_cast<std::vector<HWND>*>(context)->push_back(hwnd);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int count = argc > 1 ? std::max(1, _wtoi(argv[1])) : 300;
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int status = 0;
    {
        MainForm form;
        if (!form.CreateMain(SW_SHOWNORMAL)) {
            std::printf("no main window\n");
            return 1;
        }
        Pump(500);
        const HWND main = form.Hwnd();
        std::printf("Painting in the main window, each figure over %d paints\n", count);
        Print("frame, full WM_NCPAINT", "", Time(count, [main](int) { SendMessageW(main, WM_NCPAINT, 1, 0); }));

        std::vector<HWND> ours;
        EnumChildWindows(main, &CollectOurs, reinterpret_cast<LPARAM>(&ours));
        for (HWND control : ours) {
            Print("control, WM_PAINT", NameOf(control), Time(count, [control](int) {
                      RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                  }));
        }
        for (HWND control : ours) {
            auto* bar = dynamic_cast<ProgressBar*>(HostedControl::FromHwnd(control));
            if (!bar) continue;
            Print("bar, a new value", NameOf(control),
                  Time(count, [bar](int i) { bar->Model().SetValue(1 + i % 99); }));
            bar->Model().SetValue(0);
        }
        if (ours.empty()) status = 1;
        DestroyWindow(main);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
