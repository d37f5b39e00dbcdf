// A small window with the kinds of controls the program has, so the harness can be checked without it.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kIdName = 202, kIdPassword = 203, kIdCheck = 204, kIdButton = 205, kIdStatus = 206;
int clicks = 0;
HWND status = nullptr;

// Our own container class: forwards its children's commands to the top window like the program's groups.
LRESULT CALLBACK BoxProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_COMMAND) return SendMessageW(GetAncestor(h, GA_ROOT), msg, w, l);
    return DefWindowProcW(h, msg, w, l);
}

LRESULT CALLBACK MainProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_COMMAND: {
            wchar_t text[64];
            if (LOWORD(w) == kIdButton) {
                swprintf(text, 64, L"clicked %d", ++clicks);
                SetWindowTextW(status, text);
            } else if (LOWORD(w) == IDOK) {
                SetWindowTextW(status, L"enter");
            }
            return 0;
        }
        case WM_DESTROY: PostQuitMessage(7); return 0;
        default: return DefWindowProcW(h, msg, w, l);
    }
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, HWND parent, int id) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
    if (FILE* f = _wfopen(L"testwin.ini", L"wb")) {
        fputs("started\r\n", f);
        fclose(f);
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"HarnessMain";
    RegisterClassW(&wc);
    wc.lpfnWndProc = BoxProc;
    wc.lpszClassName = L"HarnessBox";
    RegisterClassW(&wc);

    HWND main = CreateWindowExW(0, L"HarnessMain", L"Verdaly Harness Test", WS_OVERLAPPEDWINDOW & ~WS_THICKFRAME, 100,
                                100, 360, 220, nullptr, nullptr, inst, nullptr);
    HWND box = Child(L"HarnessBox", L"用户信息", WS_CLIPSIBLINGS, 8, 8, 330, 130, main, 200);
    Child(L"STATIC", L"人人帐号：", 0, 8, 12, 70, 18, box, 201);
    HWND name = Child(L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 80, 8, 160, 22, box, kIdName);
    Child(L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 80, 38, 160, 22, box, kIdPassword);
    Child(L"BUTTON", L"记住", WS_TABSTOP | BS_AUTOCHECKBOX, 8, 70, 100, 20, box, kIdCheck);
    Child(L"BUTTON", L"登 录", WS_TABSTOP | BS_PUSHBUTTON, 250, 8, 70, 24, box, kIdButton);
    status = Child(L"STATIC", L"ready", 0, 8, 100, 300, 18, box, kIdStatus);
    HWND off = Child(L"BUTTON", L"不可用", WS_TABSTOP | BS_PUSHBUTTON, 8, 145, 80, 24, main, 207);
    EnableWindow(off, FALSE);
    ShowWindow(main, show);
    UpdateWindow(main);
    SetFocus(name);

    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(main, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return static_cast<int>(m.wParam);
}
