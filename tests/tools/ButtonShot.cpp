#include "ButtonShot.h"

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <sstream>

#include "winmsg/win/BaseWindow.h"
#include "BmpFile.h"
#include "controls/host/LayoutSet.h"
#include "controls/button/win/isButton.h"

namespace {

// A whole decimal number from `low` to `high`, nothing else.
std::optional<int> Number(const wchar_t* text, int low, int high) {
    wchar_t* end = nullptr;
    errno = 0;
    const long value = std::wcstol(text, &end, 10);
    if (end == text || *end != L'\0' || errno != 0 || value < low || value > high) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

std::optional<ShotRequest> ParseShotRequest(int argc, const wchar_t* const* argv, std::wstring& error) {
    if (argc != 8) {
        error = L"usage: verdaly-buttonshot LAYOUT-FILE BLOCK WIDTH HEIGHT STATE FOCUS OUT.bmp";
        return std::nullopt;
    }
    ShotRequest request;
    request.layoutFile = argv[1];
    request.block = argv[2];
    request.output = argv[7];
    const auto width = Number(argv[3], 1, 4096);
    const auto height = Number(argv[4], 1, 4096);
    const auto state = Number(argv[5], 1, 4);
    const auto focus = Number(argv[6], 0, 1);
    if (request.block.empty())
        error = L"BLOCK must name a block of the layout";
    else if (!width)
        error = L"WIDTH must be a number of pixels from 1 to 4096";
    else if (!height)
        error = L"HEIGHT must be a number of pixels from 1 to 4096";
    else if (!state)
        error = L"STATE must be 1 (normal), 2 (hover), 3 (pressed) or 4 (disabled)";
    else if (!focus)
        error = L"FOCUS must be 1 or 0";
    else if (request.output.empty())
        error = L"OUT.bmp must name a file";
    if (!error.empty()) return std::nullopt;
    request.width = *width;
    request.height = *height;
    request.state = *state;
    request.focus = *focus == 1;
    return request;
}

ButtonStage::ButtonStage() {
    WindowArgs args;
    args.windowClass.name = L"STATIC";
    args.style = WS_POPUP;
    args.rect = {0, 0, 640, 200};
    parent_.Reset(CreateSystemWindow(args));
}

HWND ButtonStage::Place(const PropertyBag& set, const std::wstring& name, int width, int height) {
    if (!parent_) return nullptr;
    HostedControlArgs args;
    args.parent = parent_.Get();
    args.id = 1;
    args.rect = {0, 0, width, height};
    args.name = name;
    args.persisted = &set;
    args.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    button_ = isButton::Create(args);
    return button_;
}

bool ButtonStage::Pose(int state, bool focus) {
    isButton* button = isButton::FromHwnd(button_);
    if (!button) return false;
    // Disabled first: disabling takes the focus away.
    if (state == 4) EnableWindow(button_, FALSE);
    SetFocus(focus ? button_ : parent_.Get());
    if (state == 2) SendMessageW(button_, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    if (state == 3) SendMessageW(button_, WM_KEYDOWN, VK_SPACE, 0x00390001);
    const button::ButtonFields& fields = button->Core().Fields();
    return fields.ButtonState == state && fields.HasFocus == focus;
}

int RunButtonShot(const ShotRequest& request) {
    std::ifstream file(request.layoutFile.c_str(), std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read the layout file %ls\n", request.layoutFile.c_str());
        return 1;
    }
    std::stringstream text;
    text << file.rdbuf();
    const LayoutSet layout = LayoutSet::Parse(text.str());
    const PropertyBag* set = layout.Find(request.block);
    if (!set) {
        std::fprintf(stderr, "no block [%ls] in %ls\n", request.block.c_str(), request.layoutFile.c_str());
        return 1;
    }
    ButtonStage stage;
    HWND button = stage.Place(*set, request.block, request.width, request.height);
    if (!button) {
        std::fprintf(stderr, "the button could not be created\n");
        return 1;
    }
    RECT client{};
    GetClientRect(button, &client);
    if (client.right != request.width || client.bottom != request.height) {
        std::fprintf(stderr, "the button is at least %ld x %ld pixels\n", client.right, client.bottom);
        return 1;
    }
    if (!stage.Pose(request.state, request.focus)) {
        std::fprintf(stderr, "the button cannot be put in state %d %s the focus\n", request.state,
                     request.focus ? "with" : "without");
        return 1;
    }
    if (!WriteWindowBmp(request.output, button)) {
        std::fprintf(stderr, "cannot write %ls\n", request.output.c_str());
        return 1;
    }
    return 0;
}
