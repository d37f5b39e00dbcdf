// What the message router costs per message: messages sent to a window without the router, with the router and
// no subscriber of that message, and with one subscriber; then what the router's per-message work is made of
// (building the decimal property names, looking them up). Prints figures; asserts nothing.
//   (cd build/win && ../../cmake/wine-run.sh bench/router_bench.exe [messages])

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "MSubclass.h"
#include "SubclassPropName.h"

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

    // The router's own work per message: two names and two lookups, plus one of each per subscriber.
    const double names = NanosecondsPer(count, [hwnd](long i) {
        const SubclassPropName a = SubclassPropName::Proc(hwnd);
        const SubclassPropName b = SubclassPropName::MessageCount(hwnd, kMsg);
        const SubclassPropName c = SubclassPropName::Entry(hwnd, kMsg, 1 + (i & 1));
        sink = a.Get()[0] + b.Get()[1] + c.Get()[2];
    });
    SetPropW(hwnd, L"1234#32769C", reinterpret_cast<HANDLE>(1));
    const double lookup =
        NanosecondsPer(count, [hwnd](long) { sink = reinterpret_cast<LRESULT>(GetPropW(hwnd, L"1234#32769C")); });
    RemovePropW(hwnd, L"1234#32769C");
    std::wprintf(L"  building the three names of a one-subscriber message: %.0f ns (%.0f ns each)\n", names, names / 3);
    std::wprintf(L"  one GetPropW lookup of a ready name:                  %.0f ns\n", lookup);
    std::wprintf(L"  the names' share of what the router adds with one subscriber: %.1f %%\n",
                 100.0 * names / (subscribed - plain));
    DestroyWindow(hwnd);
    return 0;
}
