// Minimising hides the window behind a tray icon; a click on the icon brings it back.
#include <filesystem>

#include "MainForm.h"
#include "app/StatusTexts.h"
#include "services/win/modTray.h"

namespace {

std::wstring ApplicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path).parent_path().wstring();
}

}  // namespace

void MainForm::OnSize(WPARAM type) {
    if (type != SIZE_MINIMIZED) {
        RunActivateIfPending();
        return;
    }
    AddTrayIcon(Hwnd(), ApplicationFolder() + L"\\AppTray.ico", StatusText::kTrayTitle, dpi_);
    ShowWindow(Hwnd(), SW_HIDE);
    inTray_ = true;
    // Coming back from the tray counts as a new activation: the remembered account is put back.
    activatePending_ = true;
    ShowTrayBalloon(Hwnd(), DownFlag == L"T" ? StatusText::kTrayRunning : StatusText::kTrayThanks,
                    StatusText::kTrayTitle, 0);
}

void MainForm::OnTrayNotify(UINT event) {
    switch (event) {
        case WM_LBUTTONDOWN:
            ShowWindow(Hwnd(), SW_RESTORE);
            ShowWindow(Hwnd(), SW_SHOW);
            SetForegroundWindow(Hwnd());
            RemoveTrayIcon();
            inTray_ = false;
            RunActivateIfPending();
            break;
        case WM_MOUSEMOVE:
            if (DownFlag == L"T") SetTrayTip(Hwnd(), StatusText::kTrayRunning);
            break;
        default: break;
    }
}
