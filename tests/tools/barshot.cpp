// Renders the real progress bar with a layout's NicePressBar set at 0 % and 42 % and writes each image as a
// 24-bit BMP: verdaly-barshot LAYOUT-FILE OUTPUT-FOLDER. The images are what the bar's surface holds; on the
// window its rounded corners show the parent instead.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BmpFile.h"
#include "winmsg/win/Handles.h"
#include "controls/host/LayoutSet.h"
#include "controls/progressbar/win/ProgressBar.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: verdaly-barshot LAYOUT-FILE OUTPUT-FOLDER\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const LayoutSet layout = LayoutSet::Parse(text.str());
    const PropertyBag* set = layout.Find(L"NicePressBar");
    if (!set) {
        std::fprintf(stderr, "no NicePressBar block in the layout\n");
        return 1;
    }

    UniqueWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 500, 40, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
    HostedControlArgs args;
    args.parent = parent.Get();
    args.id = 1;
    args.rect = {0, 0, 449, 15};  // 6735 × 225 twips
    args.name = L"NicePressBar";
    args.persisted = set;
    HWND bar = ProgressBar::Create(args);
    ProgressBar* control = ProgressBar::FromHwnd(bar);
    if (!control) {
        std::fprintf(stderr, "the bar could not be created\n");
        return 1;
    }
    const std::wstring folder = argv[2];
    for (int value : {0, 42}) {
        control->Model().SetValue(value);
        const std::wstring path = folder + L"\\progressbar-" + std::to_wstring(value) + L".bmp";
        if (!WriteWindowBmp(path, bar)) {
            std::fprintf(stderr, "could not write %ls\n", path.c_str());
            return 1;
        }
        wchar_t caption[64]{};
        GetWindowTextW(bar, caption, 64);
        std::printf("%ls: window text \"%ls\"\n", path.c_str(), caption);
    }
    return 0;
}
