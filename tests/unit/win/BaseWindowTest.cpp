// The window base under Wine: who owns whom, one window per object, and no handler of a half-destroyed object.

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "winmsg/win/BaseWindow.h"

namespace {

struct Probe : BaseWindow {
    explicit Probe(std::vector<UINT>* log, bool* deleted = nullptr) : log_(log), deleted_(deleted) {}
    ~Probe() override {
        if (deleted_) *deleted_ = true;
    }
    using BaseWindow::GiveToWindow;

    static WindowArgs Args(const wchar_t* className = L"VerdalyProbe") {
        WindowArgs args;
        args.windowClass.name = className;
        args.style = WS_POPUP;
        args.rect = {0, 0, 50, 40};
        return args;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override {
        if (log_) log_->push_back(msg);
        return BaseWindow::HandleMessage(msg, wParam, lParam);
    }

private:
    std::vector<UINT>* log_;
    bool* deleted_;
};

bool Contains(const std::vector<UINT>& log, UINT msg) {
    for (UINT m : log)
        if (m == msg) return true;
    return false;
}

TEST(BaseWindow, AnObjectOwnsItsWindowAndAttachesOnce) {
    std::vector<UINT> log;
    HWND hwnd = nullptr;
    {
        Probe probe(&log);
        hwnd = probe.Create(Probe::Args());
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(probe.Hwnd(), hwnd);
        EXPECT_EQ(BaseWindow::FromHwnd(hwnd), &probe);
        EXPECT_TRUE(Contains(log, WM_NCCREATE));
        // A second window for the same object is refused and the first stays attached.
        EXPECT_EQ(probe.Create(Probe::Args()), nullptr);
        EXPECT_EQ(probe.Hwnd(), hwnd);
        log.clear();
    }
    // The object's end destroyed the window, and none of the destruction's messages reached the gone object.
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(log.empty());
}

TEST(BaseWindow, AWindowDestroyedFromOutsideLetsGoOfItsObject) {
    std::vector<UINT> log;
    Probe probe(&log);
    HWND hwnd = probe.Create(Probe::Args());
    ASSERT_NE(hwnd, nullptr);
    DestroyWindow(hwnd);
    EXPECT_TRUE(Contains(log, WM_NCDESTROY));
    EXPECT_EQ(probe.Hwnd(), nullptr);
    EXPECT_EQ(BaseWindow::FromHwnd(hwnd), nullptr);
}

TEST(BaseWindow, AWindowThatOwnsItsObjectDeletesItWithItsLastMessage) {
    bool deleted = false;
    auto* probe = new Probe(nullptr, &deleted);
    HWND hwnd = probe->Create(Probe::Args());
    ASSERT_NE(hwnd, nullptr);
    probe->GiveToWindow();
    EXPECT_FALSE(deleted);
    DestroyWindow(hwnd);
    EXPECT_TRUE(deleted);
}

TEST(BaseWindow, AClassOfThatNameWithAnotherProcedureIsRefused) {
    WNDCLASSW foreign{};
    foreign.lpfnWndProc = DefWindowProcW;
    foreign.hInstance = GetModuleHandleW(nullptr);
    foreign.lpszClassName = L"VerdalyForeignClass";
    ASSERT_NE(RegisterClassW(&foreign), 0);
    Probe probe(nullptr);
    EXPECT_EQ(probe.Create(Probe::Args(foreign.lpszClassName)), nullptr);
    // Refused before any window was made: none of that class exists, and the object is free for one of its own.
    const HWND made = FindWindowW(foreign.lpszClassName, nullptr);
    EXPECT_EQ(made, nullptr);
    if (made) DestroyWindow(made);
    EXPECT_NE(probe.Create(Probe::Args()), nullptr);
    EXPECT_TRUE(UnregisterClassW(foreign.lpszClassName, foreign.hInstance));
}

}  // namespace
