// The message router on real windows of this process (and one of a second process): who runs in which order,
// which result comes back, and what the window's properties say about it.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ComponentError.h"
#include "GSubclass.h"
#include "Handles.h"
#include "MSubclass.h"

namespace {

constexpr UINT kMsg = WM_APP + 7;
constexpr UINT kOtherMsg = WM_APP + 8;
constexpr UINT kNegativeMsg = 0x80000001u;  // "-2147483647" in the property names
constexpr LRESULT kOldResult = 100;

std::string trace;

void Note(const std::string& what) {
    if (!trace.empty()) trace += ' ';
    trace += what;
}

LRESULT CALLBACK OldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMsg) {
        Note("old");
        return kOldResult;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Notes "x?" when asked for its mode and "x" when called; answers with its result.
struct Subscriber : ISubclass {
    Subscriber(const char* tag, MsgResponseMode answer, LRESULT value) : name(tag), mode(answer), result(value) {}

    MsgResponseMode MsgResponse() override {
        Note(name + "?");
        seen = MSubclass::CurrentMessage();
        return mode;
    }
    void MsgResponse(MsgResponseMode) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override {
        Note(name);
        seen = MSubclass::CurrentMessage();
        if (throws) throw std::runtime_error("subscriber failed");
        return callOld ? MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam) + result : result;
    }

    std::string name;
    MsgResponseMode mode;
    LRESULT result;
    bool throws = false;
    bool callOld = false;
    UINT seen = 0;
};

BOOL CALLBACK CollectProperty(HWND, LPWSTR name, HANDLE value, ULONG_PTR into) {
    auto& props = *reinterpret_cast<std::map<std::wstring, LONG_PTR>*>(into);
    props[IS_INTRESOURCE(name) ? L"#atom" : name] = reinterpret_cast<LONG_PTR>(value);
    return TRUE;
}

// The window's properties as any other tool would list them.
std::map<std::wstring, LONG_PTR> Properties(HWND hwnd) {
    std::map<std::wstring, LONG_PTR> props;
    EnumPropsExW(hwnd, CollectProperty, reinterpret_cast<LPARAM>(&props));
    return props;
}

std::wstring Name(const wchar_t* format, HWND hwnd, long long more = 0, long long position = 0) {
    wchar_t text[96];
    std::swprintf(text, 96, format, static_cast<long long>(HandleToLong(hwnd)), more, position);
    return text;
}

LONG_PTR Address(const ISubclass& s) {
    return reinterpret_cast<LONG_PTR>(&s);
}

class Router : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OldProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VerdalyRouterTest";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        window.Reset(CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                     wc.hInstance, nullptr));
        ASSERT_TRUE(window) << "no window can be made here";
        hwnd = window.Get();
        original = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
        trace.clear();
    }

    LRESULT Send(UINT msg = kMsg) {
        trace.clear();
        return SendMessageW(hwnd, msg, 1, 2);
    }
    [[nodiscard]] LONG_PTR Procedure() const { return GetWindowLongPtrW(hwnd, GWLP_WNDPROC); }

    UniqueWindow window;
    HWND hwnd = nullptr;
    LONG_PTR original = 0;
};

TEST_F(Router, FirstAttachInstallsTheRouterAndOnlyTheLastDetachRestoresTheProcedure) {
    Subscriber a("a", mrConsume, 1);
    MSubclass::AttachMessage(&a, hwnd, kMsg);
    const LONG_PTR router = Procedure();
    EXPECT_NE(router, original);

    MSubclass::AttachMessage(&a, hwnd, kOtherMsg);
    EXPECT_EQ(Procedure(), router);
    // Had the second attach installed the router again, it would have recorded itself as the previous one.
    EXPECT_EQ(Properties(hwnd)[Name(L"%lld", hwnd)], original);
    EXPECT_EQ(Properties(hwnd)[Name(L"C%lld", hwnd)], 2);

    MSubclass::DetachMessage(&a, hwnd, kOtherMsg);
    EXPECT_EQ(Procedure(), router);
    MSubclass::DetachMessage(&a, hwnd, kMsg);
    EXPECT_EQ(Procedure(), original);
    EXPECT_EQ(Send(), kOldResult);
    // The per-message counts stay at 0; the window's own entries go.
    const std::map<std::wstring, LONG_PTR> expected{{Name(L"%lld#%lldC", hwnd, kMsg), 0},
                                                    {Name(L"%lld#%lldC", hwnd, kOtherMsg), 0}};
    EXPECT_EQ(Properties(hwnd), expected);
}

TEST_F(Router, ResponseModesDecideWhetherAndWhenThePreviousProcedureRuns) {
    struct Row {
        std::vector<int> modes;  // one subscriber per mode: a, b, c with results 1, 2, 3
        const char* trace;
        LRESULT result;
        int throwing = -1;     // the subscriber that throws from WindowProc
        bool callOld = false;  // a calls CallOldWindowProc and adds its own result
    };
    const Row rows[] = {
        {{mrConsume}, "a? a a?", 1},
        {{mrCallOldAfter}, "a? a a? old", kOldResult},
        {{mrCallOldBefore}, "a? old a a?", 1},
        {{7}, "a? a a?", 1},
        {{mrConsume}, "a? a old a?", kOldResult + 1, -1, true},
        // Only the first subscriber decides about mode 2, only the last about mode 1.
        {{mrCallOldBefore, mrConsume}, "a? old a b b?", 2},
        {{mrConsume, mrCallOldAfter}, "a? a b b? old", kOldResult},
        {{mrCallOldAfter, mrConsume}, "a? a b b?", 2},
        {{mrConsume, mrCallOldBefore}, "a? a b b?", 2},
        {{mrCallOldBefore, mrCallOldAfter}, "a? old a b b?", 2},
        {{mrCallOldAfter, mrCallOldBefore, mrCallOldBefore}, "a? a b c c?", 3},
        // A subscriber's exception stops the dispatch at the router: the result so far comes back.
        {{mrCallOldAfter}, "a? a", 0, 0},
        {{mrConsume, mrConsume, mrCallOldAfter}, "a? a b", 1, 1},
    };
    const char* names[] = {"a", "b", "c"};
    for (const Row& row : rows) {
        std::vector<std::unique_ptr<Subscriber>> subscribers;
        for (size_t i = 0; i < row.modes.size(); ++i) {
            subscribers.push_back(std::make_unique<Subscriber>(names[i], static_cast<MsgResponseMode>(row.modes[i]),
                                                               static_cast<LRESULT>(i + 1)));
            subscribers.back()->throws = static_cast<int>(i) == row.throwing;
            MSubclass::AttachMessage(subscribers.back().get(), hwnd, kMsg);
        }
        subscribers.front()->callOld = row.callOld;

        EXPECT_EQ(Send(), row.result) << row.trace;
        EXPECT_EQ(trace, row.trace);
        EXPECT_EQ(subscribers.front()->seen, kMsg);

        for (const auto& s : subscribers) MSubclass::DetachMessage(s.get(), hwnd, kMsg);
        EXPECT_EQ(Procedure(), original);
    }
}

TEST_F(Router, DetachingTheMiddleOfThreeKeepsTheOrderOfTheOthers) {
    Subscriber a("a", mrConsume, 1), b("b", mrConsume, 2), c("c", mrConsume, 3);
    GSubclass router;
    for (Subscriber* s : {&a, &b, &c}) router.AttachMessage(s, hwnd, kMsg);
    router.DetachMessage(&b, hwnd, kMsg);

    EXPECT_EQ(Send(), 3);
    EXPECT_EQ(trace, "a? a c c?");
    const std::map<std::wstring, LONG_PTR> expected{
        {Name(L"%lld", hwnd), original},
        {Name(L"C%lld", hwnd), 2},
        {Name(L"%lld#%lldC", hwnd, kMsg), 2},
        {Name(L"%lld#%lld#%lld", hwnd, kMsg, 1), Address(a)},
        {Name(L"%lld#%lld#%lld", hwnd, kMsg, 2), Address(c)},
    };
    EXPECT_EQ(Properties(hwnd), expected);

    router.DetachMessage(&a, hwnd, kMsg);
    router.DetachMessage(&c, hwnd, kMsg);
    EXPECT_EQ(Procedure(), original);
}

TEST_F(Router, BookkeepingIsInTheWindowsPropertiesUnderDecimalNames) {
    Subscriber a("a", mrConsume, 1), b("b", mrConsume, 2);
    MSubclass::AttachMessage(&a, hwnd, kMsg);
    MSubclass::AttachMessage(&b, hwnd, kMsg);
    MSubclass::AttachMessage(&a, hwnd, kNegativeMsg);

    const std::map<std::wstring, LONG_PTR> expected{
        {Name(L"%lld", hwnd), original},
        {Name(L"C%lld", hwnd), 3},
        {Name(L"%lld#%lldC", hwnd, kMsg), 2},
        {Name(L"%lld#%lld#%lld", hwnd, kMsg, 1), Address(a)},
        {Name(L"%lld#%lld#%lld", hwnd, kMsg, 2), Address(b)},
        {Name(L"%lld#-2147483647C", hwnd), 1},
        {Name(L"%lld#-2147483647#1", hwnd), Address(a)},
    };
    EXPECT_EQ(Properties(hwnd), expected);

    for (auto [s, m] : {std::pair{&a, kMsg}, {&b, kMsg}, {&a, kNegativeMsg}}) MSubclass::DetachMessage(s, hwnd, m);
    EXPECT_EQ(Procedure(), original);
}

TEST_F(Router, RefusedAndMistakenCallsLeaveTheWindowAsItWas) {
    const struct {
        ComponentErrorCode code;
        std::int32_t number;
        const wchar_t* description;
    } errors[] = {
        {ComponentErrorCode::CantSubclass, static_cast<std::int32_t>(0x80043319u), L"Can't subclass window"},
        {ComponentErrorCode::AlreadyHandled, static_cast<std::int32_t>(0x8004331Au),
         L"Message already handled by another class"},
        {ComponentErrorCode::InvalidWindow, static_cast<std::int32_t>(0x8004331Bu), L"Invalid window"},
        {ComponentErrorCode::ExternalWindow, static_cast<std::int32_t>(0x8004331Cu), L"Can't modify external window"},
        {ComponentErrorCode::TooManyTimers, static_cast<std::int32_t>(0x80043553u),
         L"No more than 10 timers allowed per class"},
        {ComponentErrorCode::CantCreateTimer, static_cast<std::int32_t>(0x80043554u), L"Can't create system timer"},
    };
    for (const auto& e : errors) {
        const ComponentError error(e.code);
        EXPECT_EQ(error.Number(), e.number);
        EXPECT_EQ(error.Description(), e.description);
        EXPECT_EQ(error.Source(), L"win_tests.WindowProc");
    }

    Subscriber a("a", mrConsume, 1), b("b", mrConsume, 2), stranger("s", mrConsume, 9);
    MSubclass::AttachMessage(&a, hwnd, kMsg);
    MSubclass::AttachMessage(&b, hwnd, kMsg);
    const auto before = Properties(hwnd);
    try {
        MSubclass::AttachMessage(&a, hwnd, kMsg);
        ADD_FAILURE() << "a second subscription of the same message was accepted";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.Code(), ComponentErrorCode::AlreadyHandled);
    }
    EXPECT_EQ(Properties(hwnd), before);
    MSubclass::DetachMessage(&stranger, hwnd, kMsg);
    EXPECT_EQ(Properties(hwnd), before);
    EXPECT_EQ(Send(), 2);

    // With the refused subscription not counted, detaching the two that were made gives the procedure back.
    MSubclass::DetachMessage(&a, hwnd, kMsg);
    MSubclass::DetachMessage(&b, hwnd, kMsg);
    EXPECT_EQ(Procedure(), original);

    HWND gone = CreateWindowExW(0, L"VerdalyRouterTest", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(gone);
    try {
        MSubclass::AttachMessage(&a, gone, kMsg);
        ADD_FAILURE() << "a destroyed window was accepted";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.Code(), ComponentErrorCode::InvalidWindow);
    }
}

// The helper process next to this test program: its window's handle comes on its first output line.
class ForeignWindow {
public:
    ForeignWindow() {
        wchar_t self[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        path_.assign(self, n);
        path_.resize(path_.find_last_of(L"\\/") + 1);
        path_ += VERDALY_FOREIGN_WINDOW_EXE;
        if (GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES) return;

        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE read = nullptr, write = nullptr;
        if (!CreatePipe(&read, &write, &inherit, 0)) return;
        UniqueKernelHandle readEnd(read), writeEnd(write);
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = write;
        PROCESS_INFORMATION pi{};
        std::wstring command = L"\"" + path_ + L"\"";
        if (!CreateProcessW(path_.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                            &si, &pi)) {
            return;
        }
        process_.Reset(pi.hProcess);
        CloseHandle(pi.hThread);
        writeEnd.Reset();  // so a helper that dies before writing ends our read
        std::string line;
        char c;
        DWORD got = 0;
        while (ReadFile(read, &c, 1, &got, nullptr) && got == 1 && c != '\n') line += c;
        hwnd_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::strtoll(line.c_str(), nullptr, 10)));
    }
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;
    ~ForeignWindow() {
        if (!process_) return;
        if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process_.Get(), 1);
    }

    [[nodiscard]] const std::wstring& Path() const { return path_; }
    [[nodiscard]] HWND Hwnd() const { return hwnd_; }
    // Asks the helper itself, so the answer does not depend on what this process may read of its window.
    [[nodiscard]] LRESULT Ask(UINT msg) const {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(hwnd_, msg, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) return -1;
        return static_cast<LRESULT>(answer);
    }

private:
    std::wstring path_;
    UniqueKernelHandle process_;
    HWND hwnd_ = nullptr;
};

TEST_F(Router, AWindowOfAnotherProcessIsRefusedAndLeftUntouched) {
    const ForeignWindow foreign;
    ASSERT_NE(GetFileAttributesW(foreign.Path().c_str()), INVALID_FILE_ATTRIBUTES)
        << "the helper program is missing: build verdaly-foreign-window";
    ASSERT_TRUE(IsWindow(foreign.Hwnd())) << "the helper program did not report a window";
    DWORD owner = 0;
    GetWindowThreadProcessId(foreign.Hwnd(), &owner);
    ASSERT_NE(owner, GetCurrentProcessId());
    ASSERT_EQ(foreign.Ask(WM_APP), 1);

    Subscriber a("a", mrConsume, 1);
    try {
        MSubclass::AttachMessage(&a, foreign.Hwnd(), kMsg);
        ADD_FAILURE() << "another process's window was accepted";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.Code(), ComponentErrorCode::ExternalWindow);
    }
    EXPECT_EQ(foreign.Ask(WM_APP), 1) << "its window procedure was replaced";
    EXPECT_EQ(foreign.Ask(WM_APP + 1), 0) << "properties were added to it";
}

}  // namespace
