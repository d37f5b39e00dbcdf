// The main window must take a mouse move for a tray event only while it sits in the tray.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "app/win/MainForm.h"

namespace {

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
    HWND otherHwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 40, nullptr, nullptr,
                                     nullptr, nullptr);
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
    DestroyWindow(otherHwnd);
    // The closed main window asked the thread to quit; later tests pump messages on this thread.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace
