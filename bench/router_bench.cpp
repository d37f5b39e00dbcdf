// What the message router costs per message: messages sent to a window without the router, with the router and
// no subscriber of that message, and with one subscriber; then what the router's per-message work is made of
// (passing the message on to the previous procedure, reading the router's own index) beside what one window
// property lookup costs, which dispatch does not make. Prints figures; asserts nothing.
//   (cd build/win && ../../cmake/wine-run.sh bench/router_bench.exe [messages])

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "winmsg/win/MSubclass.h"

namespace {

constexpr UINT kMsg = WM_APP + 1;
constexpr UINT kOtherMsg = WM_APP + 2;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMsg) return static_cast<LRESULT>(wParam + 1);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Answer : ISubclass {
    MsgResponseMode MsgResponse() override { return mrConsume; }
    void MsgResponse(MsgResponseMode) override {}
    LRESULT WindowProc(HWND, UINT, WPARAM wParam, LPARAM) override { return static_cast<LRESULT>(wParam + 2); }
};

double Seconds() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Nanoseconds per call of `work`, the best of three runs of `count` calls.
template <typename Work>
double NanosecondsPer(long count, Work&& work) {
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const double start = Seconds();
        for (long i = 0; i < count; ++i) work(i);
        const double elapsed = Seconds() - start;
        if (elapsed < best) best = elapsed;
    }
    return best * 1e9 / static_cast<double>(count);
}

volatile LRESULT sink;

double SendNs(HWND hwnd, long count) {
    return NanosecondsPer(count, [hwnd](long i) { sink = SendMessageW(hwnd, kMsg, static_cast<WPARAM>(i), 0); });
}

void Row(const wchar_t* what, double ns, double baseNs) {
    std::wprintf(L"  %-44ls %10.0f msg/s  %8.0f ns/msg", what, 1e9 / ns, ns);
    if (baseNs > 0) std::wprintf(L"  (+%.0f ns)", ns - baseNs);
    std::wprintf(L"\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const long count = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 20000;
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VerdalyRouterBench";
    RegisterClassW(&wc);
    HWND hwnd =
        CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) {
        std::wprintf(L"no window can be made here\n");
        return 1;
    }
    std::wprintf(L"Message router, %ld messages sent on one thread, best of three runs\n", count);

    const double plain = SendNs(hwnd, count);
    Row(L"without the router", plain, 0);

    Answer other, one;
    MSubclass::AttachMessage(&other, hwnd, kOtherMsg);
    const double passing = SendNs(hwnd, count);
    Row(L"router, no subscriber of the message", passing, plain);

    MSubclass::AttachMessage(&one, hwnd, kMsg);
    const double subscribed = SendNs(hwnd, count);
    Row(L"router, one subscriber (mrConsume)", subscribed, plain);
    MSubclass::DetachMessage(&one, hwnd, kMsg);
    MSubclass::DetachMessage(&other, hwnd, kOtherMsg);

    // A message without a subscriber is an index read, then the previous procedure called through CallWindowProcW;
    // with one subscriber it is the index read and the subscriber's three calls, and nothing is passed on. The
    // index read is lost in the noise of either. A property lookup is shown for scale: the index spares two or
    // three of them per message.
    const double passOn = NanosecondsPer(
        count, [hwnd](long i) { sink = CallWindowProcW(PlainProc, hwnd, kMsg, static_cast<WPARAM>(i), 0); });
    SetPropW(hwnd, L"1234#32769C", reinterpret_cast<HANDLE>(1));
    const double lookup =
        NanosecondsPer(count, [hwnd](long) { sink = reinterpret_cast<LRESULT>(GetPropW(hwnd, L"1234#32769C")); });
    RemovePropW(hwnd, L"1234#32769C");
    std::wprintf(L"  passing a message on with CallWindowProcW:         %.0f ns\n", passOn);
    std::wprintf(L"  one GetPropW lookup, which dispatch does not make: %.0f ns\n", lookup);
    DestroyWindow(hwnd);
    return 0;
}
