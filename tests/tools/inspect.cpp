// verdaly-inspect: reads and drives the windows of another Win32 program for the end-to-end harness.
// Every command prints one line of JSON (UTF-8). "serve" reads commands as JSON arrays of strings,
// one a line, so the harness pays Wine's start-up once instead of once per poll.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <tlhelp32.h>
#include <winternl.h>

#include "winmsg/win/Handles.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using Args = std::map<std::wstring, std::wstring>;

std::string ToUtf8(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string Quote(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string Quote(const std::wstring& s) {
    return Quote(ToUtf8(s));
}

// Builds one JSON object; values are already-encoded JSON.
class Obj {
public:
    Obj& Raw(const char* key, const std::string& json) {
        body_ += (body_.empty() ? "" : ",") + Quote(std::string(key)) + ":" + json;
        return *this;
    }
    Obj& Str(const char* key, const std::wstring& v) { return Raw(key, Quote(v)); }
    Obj& Int(const char* key, long long v) { return Raw(key, std::to_string(v)); }
    Obj& Bool(const char* key, bool v) { return Raw(key, v ? "true" : "false"); }
    Obj& Handle(const char* key, HWND h) {
        return Raw(key, std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h))));
    }
    std::string Json() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

std::string RectJson(const RECT& r) {
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "]";
}

std::string Error(const std::string& what) {
    return Obj().Raw("error", Quote(what)).Json();
}

HWND ParseHwnd(const std::wstring& s) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(s.c_str(), nullptr, 0)));
}

long Num(const Args& a, const wchar_t* key, long fallback) {
    auto it = a.find(key);
    return it == a.end() ? fallback : wcstol(it->second.c_str(), nullptr, 0);
}

std::wstring Opt(const Args& a, const wchar_t* key) {
    auto it = a.find(key);
    return it == a.end() ? std::wstring() : it->second;
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

// WM_GETTEXT is marshalled across processes (GetWindowText would not ask a child of another process).
std::wstring TextOf(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
    std::wstring buf(len + 2, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                             &got))
        return {};
    buf.resize(got < buf.size() ? got : buf.size() - 1);
    return buf;
}

DWORD_PTR Send(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, msg, w, l, SMTO_ABORTIFHUNG, 2000, &r);
    return r;
}

struct TopMatch {
    std::wstring title, cls;
    HWND found = nullptr;
    bool anyVisibility = false;
};

BOOL CALLBACK MatchTop(HWND h, LPARAM lp) {
    auto* m = reinterpret_cast<TopMatch*>(lp);
    if (!m->anyVisibility && !IsWindowVisible(h)) return TRUE;
    wchar_t text[512] = {};
    GetWindowTextW(h, text, 512);
    if (m->title != text) return TRUE;
    if (!m->cls.empty() && m->cls != ClassOf(h)) return TRUE;
    m->found = h;
    return FALSE;
}

HWND FindTop(const Args& a, DWORD timeoutMs) {
    TopMatch m{Opt(a, L"--title"), Opt(a, L"--class")};
    m.anyVisibility = a.count(L"--hidden") != 0;
    DWORD start = GetTickCount();
    for (;;) {
        m.found = nullptr;
        EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&m));
        if (m.found || GetTickCount() - start >= timeoutMs) return m.found;
        Sleep(50);
    }
}

HWND TargetWindow(const Args& a) {
    if (a.count(L"--hwnd")) return ParseHwnd(Opt(a, L"--hwnd"));
    if (a.count(L"--title")) return FindTop(a, static_cast<DWORD>(Num(a, L"--timeout", 0)));
    return nullptr;
}

std::string WindowJson(HWND h, bool child) {
    Obj o;
    RECT wr{}, cr{};
    GetWindowRect(h, &wr);
    GetClientRect(h, &cr);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    HWND parent = GetAncestor(h, GA_PARENT);
    RECT rel = wr;
    if (child && parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rel), 2);
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(h, &pid);
    LONG style = GetWindowLongW(h, GWL_STYLE);
    std::wstring cls = ClassOf(h);
    o.Handle("hwnd", h)
        .Handle("parent", child ? parent : nullptr)
        .Handle("owner", GetWindow(h, GW_OWNER))
        .Int("id", child ? GetDlgCtrlID(h) : 0)
        .Str("class", cls)
        .Str("text", TextOf(h))
        .Raw("rect", RectJson(wr))
        .Raw("rel", RectJson(rel))
        .Raw("client", RectJson(cr))
        .Raw("client_origin", "[" + std::to_string(origin.x) + "," + std::to_string(origin.y) + "]")
        .Bool("enabled", IsWindowEnabled(h) != FALSE)
        .Bool("visible", IsWindowVisible(h) != FALSE)
        .Int("style", static_cast<unsigned long>(style))
        .Int("exstyle", static_cast<unsigned long>(GetWindowLongW(h, GWL_EXSTYLE)))
        .Int("pid", pid)
        .Int("tid", tid);
    if (_wcsicmp(cls.c_str(), L"Edit") == 0) {
        DWORD_PTR sel = Send(h, EM_GETSEL);
        o.Raw("sel", "[" + std::to_string(LOWORD(sel)) + "," + std::to_string(HIWORD(sel)) + "]");
        o.Int("password_char", static_cast<long long>(Send(h, EM_GETPASSWORDCHAR)));
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        o.Int("check", static_cast<long long>(Send(h, BM_GETCHECK)));
        o.Int("button_type", style & BS_TYPEMASK);
    } else if (_wcsicmp(cls.c_str(), PROGRESS_CLASSW) == 0) {
        o.Int("pos", static_cast<long long>(Send(h, PBM_GETPOS)));
        o.Int("range_low", static_cast<long long>(Send(h, PBM_GETRANGE, TRUE)));
        o.Int("range_high", static_cast<long long>(Send(h, PBM_GETRANGE, FALSE)));
    }
    return o.Json();
}

void Descend(HWND parent, std::string& out) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        out += "," + WindowJson(c, true);
        Descend(c, out);
    }
}

std::string Focus(HWND top) {
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    DWORD tid = GetWindowThreadProcessId(top, nullptr);
    GetGUIThreadInfo(tid, &gi);
    return Obj()
        .Handle("focus", gi.hwndFocus)
        .Handle("active", gi.hwndActive)
        .Handle("capture", gi.hwndCapture)
        .Handle("caret", gi.hwndCaret)
        .Handle("foreground", GetForegroundWindow())
        .Json();
}

std::string CmdFind(const Args& a) {
    HWND h = FindTop(a, static_cast<DWORD>(Num(a, L"--timeout", 0)));
    if (!h) return Error("not found");
    return WindowJson(h, false);
}

std::string CmdTree(const Args& a) {
    HWND top = TargetWindow(a);
    if (!top || !IsWindow(top)) return Error("not found");
    std::string list = WindowJson(top, false);
    Descend(top, list);
    return Obj().Raw("windows", "[" + list + "]").Raw("focus", Focus(top)).Json();
}

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

std::string CmdWindows(const Args& a) {
    std::vector<HWND> all;
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&all));
    bool visibleOnly = a.count(L"--visible") != 0;
    std::string list;
    for (HWND h : all) {
        if (visibleOnly && !IsWindowVisible(h)) continue;
        wchar_t text[1024] = {};
        GetWindowTextW(h, text, 1024);
        RECT r{};
        GetWindowRect(h, &r);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        list += (list.empty() ? "" : ",") + Obj()
                                                .Handle("hwnd", h)
                                                .Str("class", ClassOf(h))
                                                .Str("text", text)
                                                .Bool("visible", IsWindowVisible(h) != FALSE)
                                                .Raw("rect", RectJson(r))
                                                .Handle("owner", GetWindow(h, GW_OWNER))
                                                .Int("pid", pid)
                                                .Json();
    }
    return Obj().Raw("windows", "[" + list + "]").Handle("foreground", GetForegroundWindow()).Json();
}

// Input goes to the foreground window's focus, as a user's would: bring the window's top level forward first.
bool Activate(HWND h) {
    HWND top = GetAncestor(h, GA_ROOT);
    if (!top) return false;
    for (int i = 0; i < 40 && GetForegroundWindow() != top; ++i) {
        SetForegroundWindow(top);
        Sleep(25);
    }
    return GetForegroundWindow() == top;
}

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.dx = x;
    in.mi.dy = y;
    SendInput(1, &in, sizeof in);
}

// Absolute coordinates for SendInput: 0..65535 across the screen.
POINT Normalized(POINT pt) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    return {MulDiv(pt.x, 65536, w) + 1, MulDiv(pt.y, 65536, h) + 1};
}

void MoveCursor(POINT pt) {
    SetCursorPos(pt.x, pt.y);
    POINT n = Normalized(pt);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, n.x, n.y);
}

// --wx/--wy: a point of the window's frame, relative to the window's top-left corner.
POINT FramePoint(HWND h, const Args& a) {
    RECT wr{};
    GetWindowRect(h, &wr);
    return {wr.left + Num(a, L"--wx", 0), wr.top + Num(a, L"--wy", 0)};
}

std::string CmdClick(const Args& a) {
    HWND h = TargetWindow(a);
    POINT pt{};
    if (h) {
        if (!IsWindow(h)) return Error("no such window");
        RECT cr{};
        GetClientRect(h, &cr);
        pt = {a.count(L"--x") ? Num(a, L"--x", 0) : cr.right / 2, a.count(L"--y") ? Num(a, L"--y", 0) : cr.bottom / 2};
        ClientToScreen(h, &pt);
        if (a.count(L"--wx")) pt = FramePoint(h, a);
        if (!a.count(L"--no-activate")) Activate(h);
    } else if (a.count(L"--sx")) {
        pt = {Num(a, L"--sx", 0), Num(a, L"--sy", 0)};
    } else {
        return Error("click needs --hwnd, --title or --sx/--sy");
    }
    bool right = Opt(a, L"--button") == L"right";
    DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    MoveCursor(pt);
    Sleep(30);
    // Each button event carries the position too: under Wine a button event without one can use the
    // position from before the move.
    POINT n = Normalized(pt);
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    int clicks = a.count(L"--double") ? 2 : 1;
    for (int i = 0; i < clicks; ++i) {
        SendMouse(down | at, n.x, n.y);
        Sleep(20);
        SendMouse(up | at, n.x, n.y);
        Sleep(20);
    }
    return Obj().Int("x", pt.x).Int("y", pt.y).Json();
}

// Presses the left button on a point of the window's frame (--wx, --wy), moves the pointer by (--dx, --dy) in
// small steps as a hand would, holds it there (--hold milliseconds, 200 by default) and releases it.
std::string CmdDrag(const Args& a) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("no such window");
    Activate(h);
    const POINT from = FramePoint(h, a);
    const POINT to{from.x + Num(a, L"--dx", 0), from.y + Num(a, L"--dy", 0)};
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    MoveCursor(from);
    Sleep(50);
    POINT n = Normalized(from);
    SendMouse(MOUSEEVENTF_LEFTDOWN | at, n.x, n.y);
    Sleep(100);
    const int steps = 10;
    for (int i = 1; i <= steps; ++i) {
        MoveCursor({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        Sleep(30);
    }
    // Held at the end, the pointer is put there again now and then: under Wine a reader that sees no move for
    // a while asks X for the pointer, which a busy machine may not have moved to the last step yet.
    for (int held = 0, hold = Num(a, L"--hold", 200); held < hold; held += 50) {
        Sleep(static_cast<DWORD>(hold - held < 50 ? hold - held : 50));
        MoveCursor(to);
    }
    n = Normalized(to);
    SendMouse(MOUSEEVENTF_LEFTUP | at, n.x, n.y);
    Sleep(50);
    return Obj().Int("x", to.x).Int("y", to.y).Json();
}

// The window's rectangle as the screen shows it, saved as a 24-bit BMP file (--out).
std::string CmdGrab(const Args& a) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("no such window");
    RECT wr{};
    GetWindowRect(h, &wr);
    const int w = wr.right - wr.left, ht = wr.bottom - wr.top;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, ht, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const WindowDC screen(nullptr);
    const UniqueMemDC mem(CreateCompatibleDC(screen.Get()));
    const UniqueBitmap dib(CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bool copied = false;
    {
        const SelectGuard selected(mem.Get(), dib.Get());
        copied = BitBlt(mem.Get(), 0, 0, w, ht, screen.Get(), wr.left, wr.top, SRCCOPY) && bits;
        GdiFlush();
    }
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(ht);
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                        static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
    const UniqueKernelHandle file(
        CreateFileW(Opt(a, L"--out").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    const bool written = copied && file && WriteFile(file.Get(), &fh, sizeof fh, &n, nullptr) &&
                         WriteFile(file.Get(), &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
                         WriteFile(file.Get(), bits, size, &n, nullptr) && n == size;
    if (!written) return Error("cannot grab the window");
    return Obj().Raw("rect", RectJson(wr)).Json();
}

// Moves a top-level window to (--x, --y) of the screen without activating it.
std::string CmdPlace(const Args& a) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("no such window");
    const BOOL ok = SetWindowPos(h, nullptr, Num(a, L"--x", 0), Num(a, L"--y", 0), 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return Obj().Bool("ok", ok != FALSE).Json();
}

// --hand: the pointer moves as input does, so the windows under it (and a menu loop) see the move; without it the
// pointer is put there, which moves nothing the program hears of.
std::string CmdMove(const Args& a) {
    POINT pt{Num(a, L"--sx", 0), Num(a, L"--sy", 0)};
    if (HWND h = TargetWindow(a)) {
        pt = {Num(a, L"--x", 0), Num(a, L"--y", 0)};
        ClientToScreen(h, &pt);
        if (a.count(L"--wx")) pt = FramePoint(h, a);
    }
    if (a.count(L"--hand")) {
        const POINT n = Normalized(pt);
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, n.x, n.y);
        Sleep(20);
    }
    MoveCursor(pt);
    return Obj().Int("x", pt.x).Int("y", pt.y).Json();
}

struct KeyName {
    const wchar_t* name;
    WORD vk;
};

const KeyName kKeys[] = {
    {L"enter", VK_RETURN},  {L"return", VK_RETURN}, {L"tab", VK_TAB},        {L"esc", VK_ESCAPE},
    {L"escape", VK_ESCAPE}, {L"space", VK_SPACE},   {L"backspace", VK_BACK}, {L"delete", VK_DELETE},
    {L"del", VK_DELETE},    {L"insert", VK_INSERT}, {L"home", VK_HOME},      {L"end", VK_END},
    {L"up", VK_UP},         {L"down", VK_DOWN},     {L"left", VK_LEFT},      {L"right", VK_RIGHT},
    {L"pageup", VK_PRIOR},  {L"pagedown", VK_NEXT}, {L"ctrl", VK_CONTROL},   {L"control", VK_CONTROL},
    {L"shift", VK_SHIFT},   {L"alt", VK_MENU},      {L"win", VK_LWIN},       {L"apps", VK_APPS},
};

WORD VkFromName(const std::wstring& name) {
    for (const auto& k : kKeys)
        if (_wcsicmp(k.name, name.c_str()) == 0) return k.vk;
    if ((name[0] == L'f' || name[0] == L'F') && name.size() > 1 && iswdigit(name[1])) {
        int n = _wtoi(name.c_str() + 1);
        if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
    }
    if (name.size() == 1) {
        wchar_t c = towupper(name[0]);
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return c;
        SHORT r = VkKeyScanW(name[0]);
        if (r != -1) return LOBYTE(r);
    }
    return 0;
}

bool IsExtended(WORD vk) {
    switch (vk) {
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_INSERT:
        case VK_DELETE:
        case VK_APPS:
        case VK_LWIN: return true;
        default: return false;
    }
}

void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &in, sizeof in);
    Sleep(10);
}

// "--keys": chords separated by spaces, keys in a chord by "+": "ctrl+v tab alt+f4".
std::string CmdKey(const Args& a) {
    if (HWND h = TargetWindow(a)) Activate(h);
    std::wstring keyList = Opt(a, L"--keys");
    size_t pos = 0;
    int sent = 0;
    while (pos < keyList.size()) {
        size_t end = keyList.find(L' ', pos);
        std::wstring chord = keyList.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
        pos = end == std::wstring::npos ? keyList.size() : end + 1;
        if (chord.empty()) continue;
        std::vector<WORD> vks;
        size_t p = 0;
        while (p <= chord.size()) {
            size_t plus = chord.find(L'+', p + 1);  // p + 1: a lone "+" is the plus key
            std::wstring name = chord.substr(p, plus == std::wstring::npos ? std::wstring::npos : plus - p);
            WORD vk = VkFromName(name);
            if (!vk) return Error("unknown key " + ToUtf8(name));
            vks.push_back(vk);
            if (plus == std::wstring::npos) break;
            p = plus + 1;
        }
        for (WORD vk : vks) SendKey(vk, false);
        for (auto it = vks.rbegin(); it != vks.rend(); ++it) SendKey(*it, true);
        ++sent;
    }
    return Obj().Int("chords", sent).Json();
}

// Characters the keyboard layout has go as real key strokes; the rest (Chinese, …) as VK_PACKET.
std::string CmdType(const Args& a) {
    if (HWND h = TargetWindow(a)) Activate(h);
    std::wstring text = Opt(a, L"--text");
    bool unicodeOnly = a.count(L"--unicode") != 0;
    for (wchar_t c : text) {
        SHORT r = unicodeOnly || c == L'\n' ? -1 : VkKeyScanW(c);
        if (r != -1 && c >= 0x20 && c < 0x7f) {
            bool shift = (HIBYTE(r) & 1) != 0;
            if (shift) SendKey(VK_SHIFT, false);
            SendKey(LOBYTE(r), false);
            SendKey(LOBYTE(r), true);
            if (shift) SendKey(VK_SHIFT, true);
            continue;
        }
        INPUT in[2] = {};
        for (int i = 0; i < 2; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wScan = c;
            in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, in, sizeof in[0]);
        Sleep(10);
    }
    return Obj().Int("chars", static_cast<long long>(text.size())).Json();
}

std::string CmdSetText(const Args& a) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("no such window");
    std::wstring text = Opt(a, L"--text");
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000, &r);
    return Obj().Bool("ok", r != 0).Json();
}

// SetFocus only works for windows of the calling thread's input queue: join the target's for the call.
std::string CmdSetFocus(const Args& a) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("no such window");
    Activate(h);
    DWORD target = GetWindowThreadProcessId(h, nullptr);
    DWORD self = GetCurrentThreadId();
    AttachThreadInput(self, target, TRUE);
    SetFocus(h);
    AttachThreadInput(self, target, FALSE);
    return Focus(GetAncestor(h, GA_ROOT));
}

std::string CmdForeground(const Args& a) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("no such window");
    return Obj().Bool("ok", Activate(h)).Json();
}

std::string CmdPost(const Args& a, UINT msg) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("no such window");
    if (!msg) msg = static_cast<UINT>(Num(a, L"--msg", 0));
    BOOL ok =
        PostMessageW(h, msg, static_cast<WPARAM>(Num(a, L"--wparam", 0)), static_cast<LPARAM>(Num(a, L"--lparam", 0)));
    return Obj().Bool("ok", ok != FALSE).Json();
}

std::string CmdWait(const Args& a) {
    DWORD pid = static_cast<DWORD>(Num(a, L"--pid", 0));
    HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!p) return Obj().Bool("exited", true).Bool("known", false).Json();
    DWORD w = WaitForSingleObject(p, static_cast<DWORD>(Num(a, L"--timeout", 0)));
    DWORD code = 0;
    GetExitCodeProcess(p, &code);
    CloseHandle(p);
    return Obj().Bool("exited", w == WAIT_OBJECT_0).Bool("known", true).Int("code", code).Json();
}

std::string CmdProcs() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return Error("no snapshot");
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    std::string list;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe))
        list += (list.empty() ? "" : ",") +
                Obj().Int("pid", pe.th32ProcessID).Str("exe", pe.szExeFile).Int("threads", pe.cntThreads).Json();
    CloseHandle(snap);
    return Obj().Raw("procs", "[" + list + "]").Json();
}

// The image path and command line a process was started with, read from its memory: a process only just made
// has no parameters there yet, so the caller asks again.
bool ReadStartup(HANDLE process, std::wstring& image, std::wstring& command) {
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS params{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !basic.PebBaseAddress || !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !peb.ProcessParameters || !ReadProcessMemory(process, peb.ProcessParameters, &params, sizeof params, nullptr))
        return false;
    const auto read = [process](const UNICODE_STRING& from, std::wstring& to) {
        to.assign(from.Length / sizeof(wchar_t), L'\0');
        return from.Length > 0 && ReadProcessMemory(process, from.Buffer, to.data(), from.Length, nullptr);
    };
    return read(params.ImagePathName, image) && read(params.CommandLine, command);
}

// spawned --pid P, then a click's arguments: the click, with P in a job first so that every process it starts is
// announced at once, however briefly it lives. Reports the first such process within --timeout: its image path and
// command line. That process is ended once read, before it gets far: a test opens nothing real.
std::string CmdSpawned(const Args& a) {
    const auto pid = static_cast<DWORD>(Num(a, L"--pid", 0));
    const UniqueKernelHandle program(OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, pid));
    const UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    const UniqueKernelHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{nullptr, port.Get()};
    if (!program || !job || !port ||
        !SetInformationJobObject(job.Get(), JobObjectAssociateCompletionPortInformation, &link, sizeof link) ||
        !AssignProcessToJobObject(job.Get(), program.Get()))
        return Error("cannot watch process " + std::to_string(pid));
    const std::string clicked = CmdClick(a);
    if (clicked.rfind("{\"error\"", 0) == 0) return clicked;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(Num(a, L"--timeout", 10000));
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED data = nullptr;
    DWORD child = 0;
    while (!child) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end || !GetQueuedCompletionStatus(port.Get(), &message, &key, &data, static_cast<DWORD>(end - now)))
            return Error("no process started");
        const auto announced = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
        if (message == JOB_OBJECT_MSG_NEW_PROCESS && announced != pid) child = announced;
    }
    const UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, child));
    std::wstring image, command;
    bool read = false;
    while (process && !(read = ReadStartup(process.Get(), image, command)) && GetTickCount64() < end) Sleep(1);
    if (process) TerminateProcess(process.Get(), 1);
    if (!read) return Error("cannot read process " + std::to_string(child));
    return Obj().Int("pid", child).Str("image", image).Str("command", command).Json();
}

bool OpenClipboardRetry(HWND owner) {
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(owner)) return true;
        Sleep(20);
    }
    return false;
}

// EmptyClipboard with no owner window makes SetClipboardData fail, so own it with a message-only window.
std::string CmdClipboardSet(const Args& a) {
    std::wstring text = Opt(a, L"--text");
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboardRetry(owner)) return Error("clipboard busy");
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool ok = false;
    if (mem) {
        memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(mem);
        ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
        if (!ok) GlobalFree(mem);
    }
    CloseClipboard();
    return Obj().Bool("ok", ok).Json();
}

std::string CmdClipboardGet() {
    if (!OpenClipboardRetry(nullptr)) return Error("clipboard busy");
    std::wstring text;
    bool has = false;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = p;
            has = true;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return Obj().Bool("has_text", has).Str("text", text).Json();
}

// The system colours the skinned menus draw with, as [r, g, b].
std::string SysColors() {
    const std::pair<const char*, int> colors[] = {{"btnface", COLOR_BTNFACE},
                                                   {"btnshadow", COLOR_BTNSHADOW},
                                                   {"btnhighlight", COLOR_BTNHIGHLIGHT}};
    Obj o;
    for (const auto& [name, index] : colors) {
        const COLORREF c = GetSysColor(index);
        o.Raw(name, "[" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
                        std::to_string(GetBValue(c)) + "]");
    }
    return o.Json();
}

std::string CmdInfo() {
    return Obj()
        .Raw("colours", SysColors())
        .Int("acp", GetACP())
        .Int("oemcp", GetOEMCP())
        .Int("screen_w", GetSystemMetrics(SM_CXSCREEN))
        .Int("screen_h", GetSystemMetrics(SM_CYSCREEN))
        .Handle("foreground", GetForegroundWindow())
        .Json();
}

// ---- what a screen reader reads ----------------------------------------------------------------------------

// One object of a window as a reader gets it from another process: AccessibleObjectFromWindow, OBJID_CLIENT.
class AccObject {
public:
    explicit AccObject(HWND h) {
        hr_ = AccessibleObjectFromWindow(h, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&acc_));
    }
    AccObject(const AccObject&) = delete;
    AccObject& operator=(const AccObject&) = delete;
    ~AccObject() {
        if (acc_) acc_->Release();
    }
    IAccessible* Get() const { return acc_; }
    HRESULT Result() const { return hr_; }

private:
    IAccessible* acc_ = nullptr;
    HRESULT hr_ = E_FAIL;
};

VARIANT SelfChild() {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

// A text property as JSON: the string, or null when the object has none (S_FALSE, an error).
std::string AccText(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    const HRESULT hr = (acc->*get)(SelfChild(), &text);
    std::string out = hr == S_OK && text ? Quote(std::wstring(text, SysStringLen(text))) : "null";
    SysFreeString(text);
    return out;
}

std::string AccNumber(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
    VARIANT v{};
    const HRESULT hr = (acc->*get)(SelfChild(), &v);
    std::string out = SUCCEEDED(hr) && v.vt == VT_I4 ? std::to_string(v.lVal) : "null";
    VariantClear(&v);
    return out;
}

std::string AccJson(HWND h) {
    Obj o;
    o.Handle("hwnd", h).Int("id", GetDlgCtrlID(h)).Str("class", ClassOf(h));
    const AccObject object(h);
    o.Int("hr", static_cast<unsigned long>(object.Result()));
    if (IAccessible* acc = object.Get()) {
        o.Raw("role", AccNumber(acc, &IAccessible::get_accRole))
            .Raw("state", AccNumber(acc, &IAccessible::get_accState))
            .Raw("name", AccText(acc, &IAccessible::get_accName))
            .Raw("value", AccText(acc, &IAccessible::get_accValue))
            .Raw("shortcut", AccText(acc, &IAccessible::get_accKeyboardShortcut))
            .Raw("action", AccText(acc, &IAccessible::get_accDefaultAction));
    }
    return o.Json();
}

void DescendAcc(HWND parent, std::string& out) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        out += (out.empty() ? "" : ",") + AccJson(c);
        DescendAcc(c, out);
    }
}

// acc --hwnd TOP: every descendant as a reader reads it. acc --hwnd CONTROL --do: its default action, and how long
// the call took (a reader must not wait for what the action sets going).
std::string CmdAcc(const Args& a) {
    HWND h = TargetWindow(a);
    if (!h || !IsWindow(h)) return Error("not found");
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    if (a.count(L"--do")) {
        const AccObject object(h);
        if (!object.Get()) return Error("no object");
        const ULONGLONG start = GetTickCount64();
        const HRESULT hr = object.Get()->accDoDefaultAction(SelfChild());
        return Obj()
            .Int("hr", static_cast<unsigned long>(hr))
            .Int("ms", static_cast<long long>(GetTickCount64() - start))
            .Json();
    }
    std::string list;
    DescendAcc(h, list);
    return Obj().Raw("controls", "[" + list + "]").Json();
}

std::string Run(const std::vector<std::wstring>& argv) {
    if (argv.empty()) return Error("no command");
    Args a;
    for (size_t i = 1; i < argv.size(); ++i) {
        if (argv[i].rfind(L"--", 0) != 0) return Error("unexpected " + ToUtf8(argv[i]));
        bool flag = i + 1 >= argv.size() || argv[i + 1].rfind(L"--", 0) == 0;
        a[argv[i]] = flag ? std::wstring() : argv[i + 1];
        if (!flag) ++i;
    }
    const std::wstring& c = argv[0];
    if (c == L"find") return CmdFind(a);
    if (c == L"tree") return CmdTree(a);
    if (c == L"windows") return CmdWindows(a);
    if (c == L"click") return CmdClick(a);
    if (c == L"move") return CmdMove(a);
    if (c == L"drag") return CmdDrag(a);
    if (c == L"place") return CmdPlace(a);
    if (c == L"grab") return CmdGrab(a);
    if (c == L"key") return CmdKey(a);
    if (c == L"type") return CmdType(a);
    if (c == L"settext") return CmdSetText(a);
    if (c == L"setfocus") return CmdSetFocus(a);
    if (c == L"foreground") return CmdForeground(a);
    if (c == L"close") return CmdPost(a, WM_CLOSE);
    if (c == L"post") return CmdPost(a, 0);
    if (c == L"wait") return CmdWait(a);
    if (c == L"procs") return CmdProcs();
    if (c == L"spawned") return CmdSpawned(a);
    if (c == L"clipboard-set") return CmdClipboardSet(a);
    if (c == L"clipboard-get") return CmdClipboardGet();
    if (c == L"info") return CmdInfo();
    if (c == L"acc") return CmdAcc(a);
    return Error("unknown command " + ToUtf8(c));
}

bool WriteLine(const std::string& s) {
    std::string line = s + "\n";
    DWORD written = 0;
    return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
                     nullptr) &&
           written == line.size();
}

// Parses a JSON array of strings; false on anything else.
bool ParseArgv(const std::string& s, std::vector<std::wstring>& out) {
    size_t i = 0;
    auto ws = [&] {
        while (i < s.size() && isspace(static_cast<unsigned char>(s[i]))) ++i;
    };
    ws();
    if (i >= s.size() || s[i++] != '[') return false;
    ws();
    if (i < s.size() && s[i] == ']') return true;
    for (;;) {
        ws();
        if (i >= s.size() || s[i++] != '"') return false;
        std::wstring item;
        std::string run;
        auto flush = [&] {
            item += FromUtf8(run);
            run.clear();
        };
        for (;;) {
            if (i >= s.size()) return false;
            char ch = s[i++];
            if (ch == '"') break;
            if (ch != '\\') {
                run += ch;
                continue;
            }
            if (i >= s.size()) return false;
            char e = s[i++];
            switch (e) {
                case 'n': run += '\n'; break;
                case 'r': run += '\r'; break;
                case 't': run += '\t'; break;
                case 'b': run += '\b'; break;
                case 'f': run += '\f'; break;
                case 'u':
                    if (i + 4 > s.size()) return false;
                    flush();
                    item += static_cast<wchar_t>(strtoul(s.substr(i, 4).c_str(), nullptr, 16));
                    i += 4;
                    break;
                default: run += e;
            }
        }
        flush();
        out.push_back(item);
        ws();
        if (i >= s.size()) return false;
        if (s[i] == ']') return true;
        if (s[i++] != ',') return false;
    }
}

int Serve() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char buf[4096];
    for (;;) {
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            std::vector<std::wstring> argv;
            if (line.find_first_not_of(" \r\t") == std::string::npos) continue;
            WriteLine(ParseArgv(line, argv) ? Run(argv) : Error("bad request line"));
        }
        DWORD got = 0;
        if (!ReadFile(in, buf, sizeof buf, &got, nullptr) || got == 0) return 0;
        pending.append(buf, got);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wstring(argv[1]) == L"serve") return Serve();
    // Before acting: a caller that finds no result can tell a helper that never ran (safe to run again)
    // from one that ended while it acted. Without a way to say so, it does not act at all.
    if (!WriteLine("#started")) return 3;
    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::string out = Run(args);
    WriteLine(out);
    return out.rfind("{\"error\"", 0) == 0 ? 1 : 0;
}
