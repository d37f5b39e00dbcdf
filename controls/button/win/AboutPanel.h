#pragma once
// The button's about panel: the control's name and version, an author line, a link and a Close button. Made
// hidden with its plain style; shown as a topmost top-level window with a caption bar.

#include <windows.h>

#include <string>

#include "winmsg/win/BaseWindow.h"
#include "winmsg/win/Handles.h"

class AboutPanel : public BaseWindow {
public:
    static constexpr const wchar_t* kClassName = L"isButtonAbout";
    static constexpr const wchar_t* kLink = L"https://verdaly.org/";
    static constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;

    // Shows the panel with `style` plus caption bar, sizing frame and minimise box; `opener` opens the link.
    void Show(DWORD style, const std::wstring& version, int (*opener)(const std::wstring&) noexcept) noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    enum : int { kCloseId = 10, kLinkId = 11 };
    bool Build(DWORD style, const std::wstring& version) noexcept;

    int (*opener_)(const std::wstring&) noexcept = nullptr;
    UniqueFont font_;
};
