// The message router on real windows of this process (and one of a second process): who runs in which order,
// which result comes back, what the window's properties say about it, and that the router's own index, which
// dispatch reads instead of them, says the same after every attach and detach.

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <span>
#include <memory>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "winmsg/win/ComponentError.h"
#include "winmsg/win/GSubclass.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/MSubclass.h"

namespace {

constexpr UINT kMsg = WM_APP + 7;
constexpr UINT kNegativeMsg = 0x80000001u;  // "-2147483647" in the property names
std::string trace;

void Note(const std::string& what) {
    trace += (trace.empty() ? "" : " ") + what;
}

LRESULT CALLBACK OldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kMsg) return DefWindowProcW(hwnd, msg, wParam, lParam);
    Note("old");
    return 100;
}

// Notes "x?" when asked for its mode and "x" when called.
struct Subscriber : ISubclass {
    Subscriber(const char* tag, int answer = mrConsume, LRESULT value = 0) : name(tag), mode(answer), result(value) {}
    MsgResponseMode MsgResponse() override {
        Note(name + "?");
        return static_cast<MsgResponseMode>(mode);
    }
    void MsgResponse(MsgResponseMode) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override {
        Note(MSubclass::CurrentMessage() == kMsg ? name : "wrong message");
        if (during) during();
        if (throws) throw std::runtime_error("subscriber failed");
        return callOld ? MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam) + result : result;
    }
    std::string name;
    int mode;
    LRESULT result;
    bool throws = false, callOld = false;
    std::function<void()> during;  // runs inside WindowProc
};

using PropertyList = std::map<std::wstring, LONG_PTR>;

// The window's properties as any other tool would list them.
PropertyList Properties(HWND hwnd) {
    PropertyList props;
    auto add = [](HWND, LPWSTR name, HANDLE value, ULONG_PTR into) -> BOOL {
        (*reinterpret_cast<PropertyList*>(into))[IS_INTRESOURCE(name) ? L"#atom" : name] = LONG_PTR(value);
        return TRUE;
    };
    EnumPropsExW(hwnd, add, reinterpret_cast<LPARAM>(&props));
    return props;
}

// The properties and the router's index agree: message counts of 0, which the properties keep, aside.
void ExpectIndexAgrees(HWND hwnd) {
    PropertyList props = Properties(hwnd);
    std::erase_if(props, [](const auto& p) { return p.second == 0 && p.first.back() == L'C'; });
    EXPECT_EQ(MSubclass::IndexedProperties(hwnd), props);
}

void Attach(ISubclass* s, HWND hwnd, UINT msg = kMsg) {
    MSubclass::AttachMessage(s, hwnd, msg);
    ExpectIndexAgrees(hwnd);
}
void Detach(ISubclass* s, HWND hwnd, UINT msg = kMsg) {
    MSubclass::DetachMessage(s, hwnd, msg);
    ExpectIndexAgrees(hwnd);
}

std::int32_t Number(std::uint32_t code) {
    return static_cast<std::int32_t>(0x80040000u | code);
}

class Router : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OldProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VerdalyRouterTest";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        window.Reset(CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 9, 9, nullptr, nullptr, wc.hInstance, nullptr));
        ASSERT_TRUE(window) << "no window can be made here";
        original = Procedure();
    }
    LRESULT Send() {
        trace.clear();
        return SendMessageW(window.Get(), kMsg, 1, 2);
    }
    [[nodiscard]] LONG_PTR Procedure() const { return GetWindowLongPtrW(window.Get(), GWLP_WNDPROC); }

    UniqueWindow window;
    LONG_PTR original = 0;
};

TEST_F(Router, SubscriptionsLiveInTheWindowsPropertiesAndTheLastDetachRestoresTheProcedure) {
    HWND hwnd = window.Get();
    Subscriber a("a", mrConsume, 1), b("b", mrConsume, 2), c("c", mrConsume, 3);
    Attach(&a, hwnd);
    const LONG_PTR router = Procedure();
    EXPECT_NE(router, original);
    GSubclass facade;
    for (Subscriber* s : {&b, &c}) {
        facade.AttachMessage(s, hwnd, kMsg);
        ExpectIndexAgrees(hwnd);
    }
    facade.AttachMessage(&a, hwnd, kNegativeMsg);
    ExpectIndexAgrees(hwnd);
    EXPECT_EQ(Procedure(), router);

    // The middle one goes and the others keep their order. {h} still names the original procedure: an attach
    // that installed the router again would have recorded the router there.
    facade.DetachMessage(&b, hwnd, kMsg);
    ExpectIndexAgrees(hwnd);
    EXPECT_EQ(Send(), 3);
    EXPECT_EQ(trace, "a? a c c?");
    const std::wstring h = std::to_wstring(HandleToLong(hwnd)), m = h + L"#" + std::to_wstring(kMsg),
                       n = h + L"#-2147483647";
    const PropertyList expected{{h, original},
                                {L"C" + h, 3},
                                {m + L"C", 2},
                                {m + L"#1", LONG_PTR(&a)},
                                {m + L"#2", LONG_PTR(&c)},
                                {n + L"C", 1},
                                {n + L"#1", LONG_PTR(&a)}};
    EXPECT_EQ(Properties(hwnd), expected);

    Detach(&a, hwnd);
    Detach(&a, hwnd, kNegativeMsg);
    EXPECT_EQ(Procedure(), router);
    Detach(&c, hwnd);
    EXPECT_EQ(Procedure(), original);
    EXPECT_EQ(Properties(hwnd), (PropertyList{{m + L"C", 0}, {n + L"C", 0}})) << "message counts stay, at 0";
}

TEST_F(Router, ResponseModesDecideWhetherAndWhenThePreviousProcedureRuns) {
    struct Row {
        std::vector<int> modes;  // subscribers a, b, c answering 1, 2, 3
        const char* trace;
        LRESULT result;
        int throwing = -1;     // this subscriber's WindowProc throws
        bool callOld = false;  // a returns CallOldWindowProc + 1
        int detached = -1;     // a detaches this subscriber while it runs
    };
    const Row rows[] = {
        {{mrConsume}, "a? a a?", 1},
        {{mrCallOldAfter}, "a? a a? old", 100},
        {{mrCallOldBefore}, "a? old a a?", 1},
        {{7}, "a? a a?", 1},
        {{mrConsume}, "a? a old a?", 101, -1, true},
        // Only the first subscriber decides about mode 2, only the last about mode 1.
        {{mrCallOldBefore, mrConsume}, "a? old a b b?", 2},
        {{mrConsume, mrCallOldAfter}, "a? a b b? old", 100},
        {{mrCallOldAfter, mrCallOldBefore}, "a? a b b?", 2},
        {{mrCallOldAfter, mrCallOldBefore, mrCallOldBefore}, "a? a b c c?", 3},
        // An exception stops the dispatch at the router, which returns the result so far.
        {{mrCallOldAfter}, "a? a", 0, 0},
        {{mrConsume, mrConsume, mrCallOldAfter}, "a? a b", 1, 1},
        // Each place is read when its turn comes, the number of turns when the message came. a detaching itself
        // moves b up to the place that has had its turn and c to b's; a detaching b moves c up. Either way the last
        // place, now empty, passes the message on, and b is not called.
        {{mrConsume, mrConsume, mrCallOldAfter}, "a? a c old", 100, -1, false, 0},
        {{mrConsume, mrConsume, mrConsume}, "a? a c old", 100, -1, false, 1},
    };
    const char* names[] = {"a", "b", "c"};
    for (const Row& row : rows) {
        std::vector<std::unique_ptr<Subscriber>> subscribers;
        for (size_t i = 0; i < row.modes.size(); ++i) {
            subscribers.push_back(std::make_unique<Subscriber>(names[i], row.modes[i], i + 1));
            subscribers.back()->throws = static_cast<int>(i) == row.throwing;
            Attach(subscribers.back().get(), window.Get());
        }
        subscribers.front()->callOld = row.callOld;
        if (row.detached >= 0) {
            ISubclass* leaving = subscribers[static_cast<size_t>(row.detached)].get();
            subscribers.front()->during = [this, leaving] { Detach(leaving, window.Get()); };
        }
        EXPECT_EQ(Send(), row.result) << row.trace;
        EXPECT_EQ(trace, row.trace);
        for (const auto& s : subscribers) Detach(s.get(), window.Get());
        EXPECT_EQ(Procedure(), original);
    }
}

TEST_F(Router, AnotherThreadsWindowDispatchesItsOwnMessagesMeanwhile) {
    // Each thread reads its own current message, and one thread's window gaining and losing the router (its
    // index entry made and dropped) leaves the other's subscriptions alone.
    struct Counter : ISubclass {
        explicit Counter(UINT message) : expected(message) {}
        MsgResponseMode MsgResponse() override {
            wrong += MSubclass::CurrentMessage() != expected;
            return mrConsume;
        }
        void MsgResponse(MsgResponseMode) override {}
        LRESULT WindowProc(HWND, UINT, WPARAM wParam, LPARAM) override {
            wrong += MSubclass::CurrentMessage() != expected;
            return static_cast<LRESULT>(wParam + 1);
        }
        const UINT expected;
        int wrong = 0;
    } mine(kMsg), theirs(kMsg + 1);
    std::atomic<bool> done{false};
    int sent = 0, answered = 0;
    std::thread other([&] {
        const UniqueWindow w(CreateWindowExW(0, L"VerdalyRouterTest", L"", 0, 0, 0, 9, 9, nullptr, nullptr,
                                             GetModuleHandleW(nullptr), nullptr));
        MSubclass::AttachMessage(&theirs, w.Get(), kMsg + 1);
        for (; !done || sent < 1000; ++sent) answered += SendMessageW(w.Get(), kMsg + 1, sent, 0) == sent + 1;
        MSubclass::DetachMessage(&theirs, w.Get(), kMsg + 1);
    });
    int right = 0;
    for (int i = 0; i < 500; ++i) {
        MSubclass::AttachMessage(&mine, window.Get(), kMsg);
        right += SendMessageW(window.Get(), kMsg, i, 0) == i + 1;
        MSubclass::DetachMessage(&mine, window.Get(), kMsg);
    }
    done = true;
    other.join();
    EXPECT_EQ(right, 500);
    EXPECT_EQ(answered, sent);
    EXPECT_EQ(mine.wrong + theirs.wrong, 0);
    EXPECT_EQ(Procedure(), original);
}

TEST_F(Router, ABatchEndsAsOneAttachEachOrIsRefusedWhole) {
    HWND hwnd = window.Get();
    Subscriber a("a"), b("b");
    Attach(&b, hwnd);
    const UINT both[] = {kMsg, kNegativeMsg};
    MSubclass::AttachMessages(&a, hwnd, both);
    ExpectIndexAgrees(hwnd);
    const PropertyList batched = Properties(hwnd);
    Detach(&a, hwnd);
    Detach(&a, hwnd, kNegativeMsg);
    Attach(&a, hwnd);
    Attach(&a, hwnd, kNegativeMsg);
    EXPECT_EQ(Properties(hwnd), batched);

    // One message already taken, or one message twice: nothing of the batch is subscribed.
    const UINT taken[] = {kMsg + 1, kMsg}, twice[] = {kMsg + 1, kMsg + 1};
    for (std::span<const UINT> batch : {std::span<const UINT>(taken), std::span<const UINT>(twice)}) {
        EXPECT_THROW(MSubclass::AttachMessages(&a, hwnd, batch), ComponentError);
        EXPECT_EQ(Properties(hwnd), batched);
        ExpectIndexAgrees(hwnd);
    }
    for (UINT m : both) Detach(&a, hwnd, m);
    Detach(&b, hwnd);
    EXPECT_EQ(Procedure(), original);
}

TEST_F(Router, RefusedAndMistakenCallsChangeNothing) {
    Subscriber a("a"), b("b"), stranger("s");
    auto attach = [&a](HWND hwnd) -> std::int32_t {
        try {
            MSubclass::AttachMessage(&a, hwnd, kMsg);
        } catch (const ComponentError& e) {
            EXPECT_EQ(e.Source(), L"win_tests.WindowProc");
            return e.Number();
        }
        return 0;
    };
    ASSERT_EQ(attach(window.Get()), 0);
    Attach(&b, window.Get());
    const PropertyList before = Properties(window.Get());
    EXPECT_EQ(attach(window.Get()), Number(13082));
    ExpectIndexAgrees(window.Get());
    EXPECT_EQ(ComponentError(ComponentErrorCode::AlreadyHandled).Description(),
              L"Message already handled by another class");
    EXPECT_EQ(Properties(window.Get()), before);
    Detach(&stranger, window.Get());
    EXPECT_EQ(Properties(window.Get()), before);
    // The refused subscription was not counted: detaching the two that were made gives the procedure back.
    Detach(&a, window.Get());
    Detach(&b, window.Get());
    EXPECT_EQ(Procedure(), original);

    // A window destroyed with its subscribers takes their index entries along: its handle may come back.
    HWND gone = CreateWindowExW(0, L"VerdalyRouterTest", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    Attach(&b, gone);
    Attach(&b, gone, kNegativeMsg);
    DestroyWindow(gone);
    EXPECT_EQ(MSubclass::IndexedProperties(gone), PropertyList{});
    Detach(&b, gone);
    EXPECT_EQ(attach(gone), Number(13083));

    // A window of a second process: the helper program next to this one. It says whether it was touched.
    wchar_t self[MAX_PATH];
    std::wstring helper(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    helper = helper.substr(0, helper.find_last_of(L"\\/") + 1) + VERDALY_FOREIGN_WINDOW_EXE;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(helper.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << "the helper program is missing: " << std::string(helper.begin(), helper.end());
    const UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    HWND foreign = nullptr;
    for (int i = 0; i < 500 && !foreign; ++i, Sleep(20)) foreign = FindWindowW(L"VerdalyForeignWindow", nullptr);
    auto untouched = [foreign] {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(foreign, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) && answer == 1;
    };
    EXPECT_TRUE(foreign && untouched()) << "the helper program showed no window";
    EXPECT_EQ(attach(foreign), Number(13084));
    EXPECT_TRUE(foreign && untouched()) << "its procedure was replaced or properties were added";
    PostMessageW(foreign, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.Get(), 1);
}

}  // namespace
