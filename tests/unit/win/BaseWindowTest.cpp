// The window base under Wine: who owns whom, one window per object, and no handler of a half-destroyed object;
// and the main window, which must take a mouse move for a tray event only while it sits in the tray.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <vector>

#include "winmsg/win/BaseWindow.h"
#include "app/win/MainForm.h"

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
    EXPECT_EQ(probe.Create(Probe::Args(L"VerdalyForeignClass")), nullptr);
    EXPECT_EQ(BaseWindow::FromHwnd(nullptr), nullptr);
}

// The main window in a folder of its own (it writes its settings file into the current directory).
class MainFormTray : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) / L"verdaly-mainform-test";
        std::filesystem::create_directories(folder_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::filesystem::path folder_, previous_;
};

TEST_F(MainFormTray, AMouseMoveIsATrayEventOnlyWhileTheWindowHidesInTheTray) {
    MainForm form;
    ASSERT_TRUE(form.CreateMain(SW_SHOWNORMAL));
    HWND hwnd = form.Hwnd();
    const LPARAM trayClick = MAKELPARAM(WM_LBUTTONDOWN, 10);

    // A pointer over a visible window (at 513 pixels on a large-DPI screen) is no tray click: it must not pull
    // the window in front of the one the user works in.
    Probe other(nullptr);
    WindowArgs args = Probe::Args();
    args.style = WS_POPUP | WS_VISIBLE;
    HWND otherHwnd = other.Create(args);
    ASSERT_NE(otherHwnd, nullptr);
    SetForegroundWindow(otherHwnd);
    ASSERT_EQ(GetForegroundWindow(), otherHwnd);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, trayClick);
    EXPECT_EQ(GetForegroundWindow(), otherHwnd);

    // Minimising for real hides the window behind the tray icon; then the same message is the icon's click.
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, trayClick);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsIconic(hwnd));
    DestroyWindow(hwnd);
    // The closed main window asked the thread to quit; later tests pump messages on this thread.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace
