// Cold start: the time from starting a program to its first idle moment with its window shown, i.e. shown,
// painted and waiting for input (WaitForInputIdle). The launcher only waits on the platform's signal meanwhile;
// nothing looks at the window until the time is taken. Programs are started in turn, RUNS rounds, each closed
// before the next starts.
//   verdaly-coldstart RUNS FOLDER PROGRAM...      (FOLDER: the programs' current directory)
// Prints one line per program: the minimum, then every run, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Search {
    DWORD pid;
    std::vector<HWND> windows;
    bool visible = false;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid) {
        search->windows.push_back(hwnd);
        if (IsWindowVisible(hwnd)) search->visible = true;
    }
    return TRUE;
}

// Milliseconds to the first idle moment, or a negative value when the program showed no window by then.
double StartOnce(const std::wstring& program, const std::wstring& folder) {
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    const double start = Now();
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi))
        return -1;
    const DWORD idle = WaitForInputIdle(pi.hProcess, 60000);
    const double elapsed = Now() - start;
    Search search{pi.dwProcessId, {}};
    EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    for (HWND hwnd : search.windows) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return idle == 0 && search.visible ? elapsed : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: verdaly-coldstart RUNS FOLDER PROGRAM...\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const std::wstring folder = argv[2];
    std::vector<std::wstring> programs(argv + 3, argv + argc);
    std::vector<std::vector<double>> times(programs.size());
    // One start of each first, unmeasured: the file cache and the Wine server are then as warm for all of them.
    for (const auto& program : programs) (void)StartOnce(program, folder);
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < programs.size(); ++i) {
            Sleep(300);  // what the last program left behind settles first
            times[i].push_back(StartOnce(programs[i], folder));
        }
    }
    int failed = 0;
    for (size_t i = 0; i < programs.size(); ++i) {
        std::vector<double> good;
        for (double t : times[i])
            if (t >= 0) good.push_back(t);
        const std::wstring name = programs[i].substr(programs[i].find_last_of(L"\\/") + 1);
        if (good.empty()) {
            std::printf("%ls no window\n", name.c_str());
            ++failed;
            continue;
        }
        std::printf("%ls %.1f", name.c_str(), *std::min_element(good.begin(), good.end()));
        for (double t : times[i]) std::printf(" %.1f", t);
        std::printf("\n");
    }
    return failed ? 1 : 0;
}
