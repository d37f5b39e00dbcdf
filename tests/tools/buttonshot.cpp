// Renders a real isButton from a block of a layout file in one state and writes what the window shows as a
// 24-bit BMP: verdaly-buttonshot LAYOUT-FILE BLOCK WIDTH HEIGHT STATE FOCUS OUT.bmp. The image is the button's
// surface; on screen its window shape clips the corners.

#include <cstdio>
#include <string>

#include "ButtonShot.h"

int wmain(int argc, wchar_t** argv) {
    std::wstring error;
    const auto request = ParseShotRequest(argc, argv, error);
    if (!request) {
        std::fprintf(stderr, "%ls\n", error.c_str());
        return 2;
    }
    return RunButtonShot(*request);
}
