// The message router on real windows of this process (and one of a second process): who runs in which order,
// which result comes back, and what the window's properties say about it.

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ComponentError.h"
#include "GSubclass.h"
#include "Handles.h"
#include "MSubclass.h"

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
        if (throws) throw std::runtime_error("subscriber failed");
        return callOld ? MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam) + result : result;
    }
    std::string name;
    int mode;
    LRESULT result;
    bool throws = false, callOld = false;
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
    MSubclass::AttachMessage(&a, hwnd, kMsg);
    const LONG_PTR router = Procedure();
    EXPECT_NE(router, original);
    GSubclass facade;
    for (Subscriber* s : {&b, &c}) facade.AttachMessage(s, hwnd, kMsg);
    facade.AttachMessage(&a, hwnd, kNegativeMsg);
    EXPECT_EQ(Procedure(), router);

    // The middle one goes and the others keep their order. {h} still names the original procedure: an attach
    // that installed the router again would have recorded the router there.
    facade.DetachMessage(&b, hwnd, kMsg);
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

    MSubclass::DetachMessage(&a, hwnd, kMsg);
    MSubclass::DetachMessage(&a, hwnd, kNegativeMsg);
    EXPECT_EQ(Procedure(), router);
    MSubclass::DetachMessage(&c, hwnd, kMsg);
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
    };
    const char* names[] = {"a", "b", "c"};
    for (const Row& row : rows) {
        std::vector<std::unique_ptr<Subscriber>> subscribers;
        for (size_t i = 0; i < row.modes.size(); ++i) {
            subscribers.push_back(std::make_unique<Subscriber>(names[i], row.modes[i], i + 1));
            subscribers.back()->throws = static_cast<int>(i) == row.throwing;
            MSubclass::AttachMessage(subscribers.back().get(), window.Get(), kMsg);
        }
        subscribers.front()->callOld = row.callOld;
        EXPECT_EQ(Send(), row.result) << row.trace;
        EXPECT_EQ(trace, row.trace);
        for (const auto& s : subscribers) MSubclass::DetachMessage(s.get(), window.Get(), kMsg);
        EXPECT_EQ(Procedure(), original);
    }
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
    MSubclass::AttachMessage(&b, window.Get(), kMsg);
    const PropertyList before = Properties(window.Get());
    EXPECT_EQ(attach(window.Get()), Number(13082));
    EXPECT_EQ(ComponentError(ComponentErrorCode::AlreadyHandled).Description(),
              L"Message already handled by another class");
    EXPECT_EQ(Properties(window.Get()), before);
    MSubclass::DetachMessage(&stranger, window.Get(), kMsg);
    EXPECT_EQ(Properties(window.Get()), before);
    // The refused subscription was not counted: detaching the two that were made gives the procedure back.
    MSubclass::DetachMessage(&a, window.Get(), kMsg);
    MSubclass::DetachMessage(&b, window.Get(), kMsg);
    EXPECT_EQ(Procedure(), original);

    HWND gone = CreateWindowExW(0, L"VerdalyRouterTest", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(gone);
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
