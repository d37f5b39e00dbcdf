#pragma once
// The main window's controls: made from the layout table, found and used by their IDs, with the fonts and group
// containers they need and the focus that the window gives back when it is active again. Our own bar is also kept
// typed, so the progress tick reaches it without a lookup or a cast.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GroupContainer.h"
#include "winmsg/win/Handles.h"
#include "app/Layout.h"

class ProgressBar;

class ControlTable {
public:
    ControlTable() = default;
    ControlTable(const ControlTable&) = delete;
    ControlTable& operator=(const ControlTable&) = delete;

    // Makes every control of the layout inside `form`, sized for `dpi`. `onPasswordEnter` runs for Enter in
    // the password box.
    void Create(HWND form, int dpi, std::function<void()> onPasswordEnter);

    [[nodiscard]] HWND Ctl(ControlId id) const;
    [[nodiscard]] std::wstring Text(ControlId id) const;
    void SetText(ControlId id, const std::wstring& text);
    void Enable(ControlId id, bool enabled);
    // Moves the focus there, unless the control or a group around it is disabled or the window is hidden.
    void Focus(ControlId id);
    [[nodiscard]] bool IsChecked(ControlId id) const;
    void SetChecked(ControlId id, bool checked);

    // The window's new DPI: every control moves and sizes to its layout at that scale, with fonts made anew (our
    // own controls make theirs from their points).
    void SetDpi(int dpi);

    // The progress bar, NicePressBar: null only when it could not be made.
    [[nodiscard]] ProgressBar* NicePressBar() const noexcept { return nicePressBar_; }

    // Focus memory: what had the focus when the window went inactive gets it back on the next activation.
    void RememberFocus();
    void RestoreFocus();

    // The pixels for a length in twips at the window's resolution.
    [[nodiscard]] int Twips(int twips) const { return MulDiv(twips, dpi_, 1440); }

private:
    struct Fonts {
        UniqueFont window;
        UniqueFont courier;
        UniqueFont song;
        [[nodiscard]] HFONT For(FontRole role) const noexcept;
    };
    [[nodiscard]] static Fonts MakeFonts(int dpi);
    [[nodiscard]] RECT LayoutRect(const ControlSpec& entry) const noexcept;
    HWND CreateControl(const ControlSpec& entry, HWND parent, const RECT& rect);
    HWND CreateGroup(const ControlSpec& entry, HWND parent, const RECT& rect);
    HWND CreateOurControl(const ControlSpec& entry, HWND parent, const RECT& rect);
    static LRESULT CALLBACK EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR refData) noexcept;

    HWND form_ = nullptr;
    int dpi_ = 96;
    std::array<HWND, kNicePressBar + 1> controls_{};
    std::vector<std::unique_ptr<GroupContainer>> containers_;
    Fonts fonts_;
    ProgressBar* nicePressBar_ = nullptr;  // its window owns it
    std::function<void()> onPasswordEnter_;
    HWND lastFocus_ = nullptr;
};
