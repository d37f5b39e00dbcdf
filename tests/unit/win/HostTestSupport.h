#pragma once
// Test helpers shared by the Wine tests of our own controls: a hidden parent window, and a control rendered
// through WM_PRINTCLIENT into a 32-bit memory bitmap whose pixels can be read back.

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "winmsg/win/Handles.h"

namespace pixel_test {

struct Rgb3 {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb3&, const Rgb3&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Rgb3& c) {
        return os << '(' << c.r << ',' << c.g << ',' << c.b << ')';
    }
};

inline Rgb3 FromColorRef(COLORREF c) {
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// Each channel within `tolerance` of the other's.
inline bool Near(const Rgb3& a, const Rgb3& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // top-down, 0x00RRGGBB

    [[nodiscard]] Rgb3 At(int x, int y) const {
        const std::uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
    }
    [[nodiscard]] int Count(const Rgb3& color) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += At(x, y) == color;
        return n;
    }
};

// A white top-down 32-bit DIB selected into a memory DC, for drawing calls to land in.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        dc_.Reset(CreateCompatibleDC(nullptr));
        if (bitmap_ && dc_) old_ = SelectObject(dc_.Get(), bitmap_.Get());
        const RECT all{0, 0, width, height};
        FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    ~MemoryCanvas() {
        if (old_) SelectObject(dc_.Get(), old_);
    }

    [[nodiscard]] HDC Dc() const { return dc_.Get(); }
    [[nodiscard]] bool Ok() const { return bits_ && dc_; }
    [[nodiscard]] Image Read() const {
        GdiFlush();
        Image image{width_, height_, {}};
        const auto* p = static_cast<const std::uint32_t*>(bits_);
        if (p) image.pixels.assign(p, p + static_cast<size_t>(width_) * static_cast<size_t>(height_));
        return image;
    }

private:
    int width_, height_;
    void* bits_ = nullptr;
    UniqueBitmap bitmap_;
    UniqueMemDC dc_;
    HGDIOBJ old_ = nullptr;
};

// What the window shows: its client area as WM_PRINTCLIENT paints it.
inline Image Capture(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MemoryCanvas canvas(client.right, client.bottom);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    return canvas.Read();
}

// The font a DC draws with, as the platform holds it.
inline LOGFONTW SelectedFont(HDC dc) {
    LOGFONTW lf{};
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf);
    return lf;
}

// An invisible top-level window to hold the controls under test.
class ParentWindow {
public:
    ParentWindow()
        : hwnd_(CreateWindowExW(0, L"STATIC", L"test parent", WS_POPUP, 0, 0, 640, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {}
    [[nodiscard]] HWND Get() const { return hwnd_.Get(); }

private:
    UniqueWindow hwnd_;
};

}  // namespace pixel_test
