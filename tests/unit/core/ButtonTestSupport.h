#pragma once
// Stand-ins for the platform in the button's portable tests: a site that records what the button asks for, and
// a raster canvas whose lines leave out their end pixel as the platform's do.

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "controls/button/ButtonCore.h"
#include "controls/button/ButtonPaint.h"

namespace button_test {

using namespace button;

// A picture that is only its persisted text ("pic:" and anything).
struct TextPicture : PictureRef {
    explicit TextPicture(std::wstring t) : text(std::move(t)) { handle = 1; }
    std::wstring PersistedText() const override { return text; }
    std::wstring text;
};

class RecordingSite : public ButtonSite, public SystemColors {
public:
    ColorRef face = Rgb(240, 240, 240);
    ColorRef infoText = Rgb(0, 0, 0);
    bool userMode = true;
    int dpi = 96;
    bool trackingAvailable = true;
    std::wstring extenderName = L"Command1";
    std::wstring extenderToolTip;
    FontDesc surfaceFont{L"Container", 9, 400, false, false, false, 134};  // the container's, until set
    bool destroyedByHandlers = false;  // Click and MouseEnter take the control with its window
    std::vector<std::wstring> log;     // notifications and requests, in order

    const SystemColors& Colors() const override { return *this; }
    ColorRef SysColor(int index) const override {
        switch (index) {
            case kSysButtonFace: return face;
            case kSysHighlight: return Rgb(0, 120, 215);
            case kSysButtonText: return Rgb(0, 0, 0);
            case kSysGrayText: return Rgb(109, 109, 109);
            case kSysInfoText: return infoText;
            case kSysInfoBackground: return Rgb(255, 255, 225);
            default: return Rgb(1, 2, 3);
        }
    }
    PictureRefPtr PictureFromText(std::wstring_view text) const override {
        return text.substr(0, 4) == L"pic:" ? std::make_shared<TextPicture>(std::wstring(text)) : nullptr;
    }
    bool UserMode() const override { return userMode; }
    bool DisplayAsDefault() const override { return false; }
    int DisplayDpi() const override { return dpi; }
    FontDesc SurfaceFont() override { return surfaceFont; }
    std::wstring ExtenderName() const override { return extenderName; }
    std::wstring ExtenderToolTipText() const override { return extenderToolTip; }
    void SetExtenderToolTipText(const std::wstring& text) override { extenderToolTip = text; }
    void PropertyChanged(std::wstring_view name) override { log.push_back(L"notify " + std::wstring(name)); }
    void ReLayout() override { log.emplace_back(L"relayout"); }
    void Repaint() override { log.emplace_back(L"repaint"); }
    bool RaiseClick() override {
        log.emplace_back(L"Click");
        return !destroyedByHandlers;
    }
    bool RaiseMouseEnter() override {
        log.emplace_back(L"MouseEnter");
        return !destroyedByHandlers;
    }
    void RaiseMouseLeave() override { log.emplace_back(L"MouseLeave"); }
    void TrackLeave() override { log.emplace_back(L"track"); }
    void CreateToolTipWindow() override { log.emplace_back(L"tooltip+"); }
    void DestroyToolTipWindow() override { log.emplace_back(L"tooltip-"); }
    void MoveFocus(bool forward) override { log.emplace_back(forward ? L"focus next" : L"focus previous"); }
    void EnableWindow(bool enabled) override { log.emplace_back(enabled ? L"enable" : L"disable"); }
    void FontChanged() override { log.emplace_back(L"font"); }
    void MousePointerChanged() override { log.emplace_back(L"pointer"); }
    bool LeaveTrackingAvailable() const override { return trackingAvailable; }
    void InstallHook() override { log.emplace_back(L"hook"); }

    int Count(const std::wstring& entry) const {
        int n = 0;
        for (const auto& e : log) n += e == entry;
        return n;
    }
};

class RasterCanvas : public Canvas {
public:
    RasterCanvas(int w, int h) : w_(w), h_(h), pixels_(static_cast<size_t>(w * h)) {}

    ColorRef At(int x, int y) const { return pixels_[static_cast<size_t>(y * w_ + x)]; }
    int themedCalls = 0;
    bool themeAvailable = false;
    std::vector<Point> icons;
    std::vector<int> iconSizes;
    std::vector<Point> shadows;
    std::vector<ColorRef> captions;
    struct EdgeCall {
        int kind;
        Rect rect;
        friend bool operator==(const EdgeCall&, const EdgeCall&) = default;
    };
    std::vector<EdgeCall> edges;

    void SetBackground(ColorRef c) override { std::fill(pixels_.begin(), pixels_.end(), c); }
    // Horizontal, vertical and 45-degree lines: the only ones the renderers draw.
    void Line(int x1, int y1, int x2, int y2, ColorRef c) override {
        const int dx = (x2 > x1) - (x2 < x1);
        const int dy = (y2 > y1) - (y2 < y1);
        if (dx != 0 && dy != 0 && std::abs(x2 - x1) != std::abs(y2 - y1)) return;  // not drawn by the renderers
        for (int x = x1, y = y1; x != x2 || y != y2; x += dx, y += dy) Pixel(x, y, c);
    }
    void Fill(int x, int y, int w, int h, ColorRef c) override {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) Pixel(i, j, c);
    }
    void Pixel(int x, int y, ColorRef c) override {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) pixels_[static_cast<size_t>(y * w_ + x)] = c;
    }
    void Edge(int kind, const Rect& rect) override { edges.push_back({kind, rect}); }
    bool DrawThemed(int) override {
        ++themedCalls;
        return themeAvailable;
    }
    void DrawIcon(int x, int y, int size, bool) override {
        icons.push_back({x, y});
        iconSizes.push_back(size);
    }
    void DrawIconShadow(int x, int y, int) override { shadows.push_back({x, y}); }
    void DrawCaption(const Rect&, std::uint32_t, ColorRef color) override { captions.push_back(color); }

private:
    int w_, h_;
    std::vector<ColorRef> pixels_;
};

}  // namespace button_test
