#pragma once
// The program's only top-level window: its controls, the lifecycle (settings, activation, tray, closing),
// the login and the album download run.

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "BaseWindow.h"
#include "FileCFG.h"
#include "GroupContainer.h"
#include "Handles.h"
#include "AlbumRules.h"
#include "Layout.h"

class MainForm : public BaseWindow<MainForm> {
public:
    static constexpr const wchar_t* kClassName = L"VerdalyMainForm";
    static constexpr const wchar_t* kCaption = L"Verdaly 2.1";
    static constexpr const wchar_t* kSettingsFile = L"Verdaly.ini";

    MainForm();
    ~MainForm() override;

    bool Create(int showCommand);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    // Lifecycle
    bool OnCreate();
    void Load();
    void OnActivate(WORD state);
    void Activate();
    void OnClose();
    void OnSize(WPARAM type);
    void OnTrayNotify(UINT event);
    void OnCommand(int id, int code, HWND control);
    LRESULT OnCtlColor(HDC dc, HWND control);

    // Controls
    void CreateControls();
    HWND CreateControl(const ControlSpec& entry, HWND parent, const RECT& rect);
    [[nodiscard]] HWND Ctl(ControlId id) const;
    [[nodiscard]] std::wstring Text(ControlId id) const;
    void SetText(ControlId id, const std::wstring& text);
    void Enable(ControlId id, bool enabled);
    void Focus(ControlId id);
    [[nodiscard]] bool IsChecked(ControlId id) const;
    void SetProgressValue(int value);
    [[nodiscard]] int ProgressValue() const;
    [[nodiscard]] int Twips(int twips) const;
    static LRESULT CALLBACK EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR refData) noexcept;

    // Handlers of the controls
    void OnCheckNewLableClick();
    void OnLoginClick();
    void XNLogin(const std::wstring& url, const std::wstring& message);
    void LoginSucceeded();
    void OnClipClick();
    void OnFileClick();
    void OnDownClick();
    void OnTimer();

    // The album run
    void DownloadAlbum();
    void DownloadPhoto(const std::wstring& address);
    void FailRun();
    [[nodiscard]] NamingScheme SelectedScheme() const;
    void RunActivateIfPending();

    // Settings and run state (names as the rest of the program knows them)
    FileCFG Config;
    std::wstring DownFlag;
    int PhotoCount = 0;
    int PhotoIndex = 0;
    int SuccessCount = 0;
    int FailCount = 0;
    std::wstring SaveDir;

    std::array<HWND, kNicePressBar + 1> controls_{};
    std::vector<std::unique_ptr<GroupContainer>> containers_;
    UniqueFont windowFont_;
    UniqueFont courierFont_;
    UniqueFont songFont_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    int dpi_ = 96;
    WindowTimer progressTimer_;
    RunFileNames runNames_;
    bool runActive_ = false;       // a DownloadAlbum is under way, from the page fetch to the closing probe
    bool loginActive_ = false;     // an XNLogin is under way, its pauses between attempts included
    bool activatePending_ = true;  // Activate runs on first display and after coming back from the tray
    HWND lastFocus_ = nullptr;
};
