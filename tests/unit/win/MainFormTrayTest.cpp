// The main window must take a mouse move for a tray event only while it sits in the tray.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "app/win/MainForm.h"
#include "winmsg/win/Handles.h"
#include "Waiting.h"

namespace {

// The main window in a new folder of its own (it writes its settings file into the current directory), which is
// current only for the test's length, whatever the test's end.
class MainFormTray : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        const std::wstring name = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
        folder_ = std::filesystem::temp_directory_path() / (L"verdaly-mainform-" + name);
        ASSERT_TRUE(std::filesystem::create_directory(folder_));
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(folder_, ignored);
        // A closed main window asks the thread to quit; later tests pump messages on this thread.
        for (MSG quit; PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) {
        }
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
    const UniqueWindow other(
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 40, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(other);
    ASSERT_TRUE(Foreground(other.Get()));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, trayClick);
    EXPECT_EQ(GetForegroundWindow(), other.Get());

    // Minimising for real hides the window behind the tray icon; then the same message is the icon's click.
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, trayClick);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsIconic(hwnd));
    DestroyWindow(hwnd);
}

}  // namespace
