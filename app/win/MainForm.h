#pragma once
// The program's only top-level window: its controls, the lifecycle (settings, activation, tray, closing),
// the login and the album download run.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "services/win/BackgroundTask.h"
#include "winmsg/win/BaseWindow.h"
#include "ControlTable.h"
#include "services/FileCFG.h"
#include "winmsg/win/Handles.h"
#include "app/PhotoNames.h"
#include "winmsg/win/Picture.h"
#include "skin/win/cNeoCaption.h"

class PhotoRun;
struct PhotoDownload;

class MainForm : public BaseWindow {
public:
    static constexpr const wchar_t* kClassName = L"VerdalyMainForm";
    static constexpr const wchar_t* kCaption = L"Verdaly 2.1";
    static constexpr const wchar_t* kSettingsFile = L"Verdaly.ini";

    // Creates the window in the middle of the work area and shows it.
    bool CreateMain(int showCommand);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    // Lifecycle
    bool OnCreate();
    void Load();
    void AttachSkin();
    void OnActivate(WORD state);
    void Activate();
    void OnClose();
    void OnSize(WPARAM type);
    void OnTrayNotify(UINT event);
    void OnCommand(int id, int code, HWND control);
    LRESULT OnCtlColor(HDC dc, HWND control);
    // The icons of the window's scale; given to the window once it exists.
    void LoadIcons();
    // The window moved to a screen of another scale (or the scale changed): skin, controls and size follow.
    void OnDpiChanged(int dpi, const RECT* suggested);

    // The bar's value, NicePressBar.Value
    void SetProgressValue(int value);
    [[nodiscard]] int ProgressValue() const;

    // Handlers of the controls
    void OnCheckNewLableClick();
    void OnLoginClick();
    void XNLogin(const std::wstring& url, const std::wstring& message);
    void LoginSucceeded();
    void OnClipClick();
    void OnFileClick();
    void OnDownClick();
    void OnTimer();

    // The album run: the page; the button, bar and lines of a run of `photoCount`; its photos (`pieces`, one per
    // photo), up to the result line.
    void DownloadAlbum();
    void StartRun(int photoCount);
    void RunPhotos(const std::vector<std::wstring_view>& pieces);
    // Counts the photo and keeps a saved one under its name. False when the run was stopped while it waited for
    // the photo.
    bool TakePhoto(PhotoDownload download);
    void StopRun();
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

    ControlTable controls_;
    // The frame's two skin pictures, kept as the window's hidden pictures; the skin holds its own copies.
    Picture PicCaption;
    Picture PicBorder;
    // The caption and frame; declared after the pictures and the controls so it lets go of the window first.
    cNeoCaption Skin;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    int dpi_ = 96;
    WindowTimer progressTimer_;
    RunFileNames runNames_;
    NamingScheme runScheme_ = NamingScheme::UrlInitName;  // as chosen when the run started
    TaskCanceller pageFetch_;      // gives up the album page's fetch when 下 载 is clicked meanwhile
    bool pageLoading_ = false;     // the run waits for its album page
    bool pageAbandoned_ = false;   // that wait was given up by a click
    bool runActive_ = false;       // a DownloadAlbum is under way, from the page fetch to its last line
    PhotoRun* photoRun_ = nullptr;  // the run's photos while it fetches them
    bool loginActive_ = false;     // an XNLogin is under way, its pauses between attempts included
    bool activatePending_ = true;  // Activate runs on first display and after coming back from the tray
    bool inTray_ = false;          // hidden behind the tray icon: mouse moves are the icon's notifications
};
