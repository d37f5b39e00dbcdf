#include "CustomControls.h"

#include <commctrl.h>

#include <string>

HWND CreatePushButton(const ControlSpec& spec, HWND parent, const RECT& rect, HFONT font) {
    HWND button = CreateWindowExW(0, L"BUTTON", spec.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON,
                                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), GetModuleHandleW(nullptr),
                                  nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

HWND CreateProgressBar(const ControlSpec& spec, HWND parent, const RECT& rect, HFONT font) {
    HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"0%", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), GetModuleHandleW(nullptr),
                               nullptr);
    SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    return bar;
}

void SetProgressBarValue(HWND bar, int value) {
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
    SetWindowTextW(bar, (std::to_wstring(value) + L"%").c_str());
}

int ProgressBarValue(HWND bar) { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); }
