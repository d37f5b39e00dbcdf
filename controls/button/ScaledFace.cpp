#include "ScaledFace.h"

#include <algorithm>
#include <cstdlib>

#include "winmsg/DpiScale.h"

namespace button {

ScaleAxis::ScaleAxis(int length, int dpi) noexcept
    : length_(length), dpi_(dpi), base_(std::max(1, (length * kBaseDpi + dpi / 2) / dpi)) {}

int ScaleAxis::At(int base) const noexcept {
    return base <= base_ / 2 ? ScaleToDpi(base, dpi_) : length_ - ScaleToDpi(base_ - base, dpi_);
}

ScaledFace::ScaledFace(FaceCanvas& device, int width, int height, int dpi) noexcept
    : device_(device), x_(width, dpi), y_(height, dpi), dpi_(dpi) {}

void ScaledFace::SetBackground(ColorRef c) {
    device_.SetBackground(c);
}

void ScaledFace::Block(int left, int top, int right, int bottom, ColorRef c) {
    const int l = x_.At(left), t = y_.At(top), r = x_.At(right), b = y_.At(bottom);
    if (r > l && b > t) device_.Fill(l, t, r - l, b - t, c);
}

void ScaledFace::Line(int x1, int y1, int x2, int y2, ColorRef c) {
    // The end pixel is left out, whichever way the line runs.
    if (y1 == y2) {
        if (x1 != x2) Block(std::min(x1, x2 + 1), y1, std::max(x1 + 1, x2), y1 + 1, c);
        return;
    }
    if (x1 == x2) {
        Block(x1, std::min(y1, y2 + 1), x1 + 1, std::max(y1 + 1, y2), c);
        return;
    }
    const int dx = x2 > x1 ? 1 : -1;
    const int dy = y2 > y1 ? 1 : -1;
    if (std::abs(x2 - x1) != std::abs(y2 - y1)) {
        device_.Line(x_.At(x1), y_.At(y1), x_.At(x2), y_.At(y2), c);
        return;
    }
    // The renderers' diagonals are 45 degrees: a block per pixel keeps them as thick as the lines they join.
    for (int x = x1, y = y1; x != x2; x += dx, y += dy) Block(x, y, x + 1, y + 1, c);
}

void ScaledFace::Fill(int x, int y, int w, int h, ColorRef c) {
    Block(x, y, x + w, y + h, c);
}

void ScaledFace::Pixel(int x, int y, ColorRef c) {
    Block(x, y, x + 1, y + 1, c);
}

void ScaledFace::Edge(int kind, const Rect& rect) {
    // The platform draws each border of an edge one pixel wide: a border as thick as a scaled pixel is the same
    // border drawn again one pixel further in, each time, so its colours and corners stay the platform's.
    constexpr int kOuterBorders = 0x3;  // BDR_RAISEDOUTER | BDR_SUNKENOUTER
    constexpr int kInnerBorders = 0xC;  // BDR_RAISEDINNER | BDR_SUNKENINNER
    const Rect outside{x_.At(rect.left), y_.At(rect.top), x_.At(rect.right), y_.At(rect.bottom)};
    int ring = 0;
    for (const int borders : {kind & kOuterBorders, kind & kInnerBorders}) {
        if (borders == 0) continue;
        for (int inset = ScaleToDpi(ring, dpi_); inset < ScaleToDpi(ring + 1, dpi_); ++inset)
            device_.Edge(borders, Rect{outside.left + inset, outside.top + inset, outside.right - inset,
                                       outside.bottom - inset});
        ++ring;
    }
}

}  // namespace button
