// The floors a program's cold start is measured against (bench/coldstart.cpp), built twice:
//  - verdaly-plain-window: the plainest window this tool chain makes: one class, one window, shown and painted,
//    and a message loop;
//  - verdaly-plain-controls (PLAIN_CONTROLS): what the platform itself takes for a window like Verdaly's main
//    window: the same manifest (common controls 6), the same COM apartment, and the same controls of the layout
//    table in the same places and fonts, each made the plainest way (a system control stands in for ours).
#include <windows.h>

#ifdef PLAIN_CONTROLS
#include <commctrl.h>
#include <objbase.h>

#include "app/Layout.h"
#endif

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

#ifdef PLAIN_CONTROLS
void MakeControls(HWND form, HINSTANCE instance) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto font = [dpi](const wchar_t* face, int tenths, BYTE charset) {
        return CreateFontW(-MulDiv(tenths, dpi, 720), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    };
    const HFONT fonts[] = {font(L"微软雅黑", 90, GB2312_CHARSET), font(L"Courier New", 105, DEFAULT_CHARSET),
                           font(L"宋体", 105, GB2312_CHARSET)};
    for (const ControlSpec& c : kControls) {
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        switch (c.kind) {
            case ControlKind::Frame: cls = L"BUTTON"; style |= BS_GROUPBOX; break;
            case ControlKind::Picture:
            case ControlKind::Label: break;
            case ControlKind::Edit: cls = L"EDIT"; style |= WS_TABSTOP | ES_AUTOHSCROLL; exStyle = WS_EX_CLIENTEDGE; break;
            case ControlKind::Check: cls = L"BUTTON"; style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
            case ControlKind::Radio: cls = L"BUTTON"; style |= BS_AUTORADIOBUTTON; break;
            case ControlKind::PushButton: cls = L"BUTTON"; style |= WS_TABSTOP | BS_PUSHBUTTON; break;
            case ControlKind::ProgressBar: cls = PROGRESS_CLASSW; break;
        }
        // Every control sits in the main window, at its place in the layout.
        int left = c.left, top = c.top;
        for (ControlId p = c.parent; p != kNone;) {
            for (const ControlSpec& q : kControls) {
                if (q.id != p) continue;
                left += q.left;
                top += q.top;
                p = q.parent;
                break;
            }
        }
        HWND hwnd = CreateWindowExW(exStyle, cls, c.text, style, MulDiv(left, dpi, 1440), MulDiv(top, dpi, 1440),
                                    MulDiv(c.width, dpi, 1440), MulDiv(c.height, dpi, 1440), form,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[static_cast<int>(c.font)]), FALSE);
    }
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
#ifdef PLAIN_CONTROLS
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const int width = MulDiv(kClientWidthTwips, 96, 1440) + 16, height = MulDiv(kClientHeightTwips, 96, 1440) + 39;
#else
    const int width = 506, height = 385;
#endif
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"VerdalyPlainWindow";
    if (!RegisterClassW(&wc)) return 1;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Plain window", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
#ifdef PLAIN_CONTROLS
    MakeControls(hwnd, instance);
#endif
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
#ifdef PLAIN_CONTROLS
    if (SUCCEEDED(com)) CoUninitialize();
#endif
    return 0;
}
