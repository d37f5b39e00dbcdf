#pragma once
// The button's face drawn at a DPI other than 96. The renderers and the window shapes keep their pixel
// offsets of 96 DPI; this canvas lays that grid over the surface's real pixels, each offset scaled from the edge
// it is measured from, so a border keeps its place against the window shape and grows with the scale instead of
// staying one thin pixel.

#include "ButtonPaint.h"

namespace button {

// One axis of a button drawing at `dpi`: its length at 96 DPI, and where a coordinate of that length lands.
// Coordinates in the first half are scaled from 0, the others from the far end, which the scaled length may
// miss by a rounding: a line one pixel in from the right edge stays one scaled pixel in from it.
class ScaleAxis {
public:
    ScaleAxis(int length, int dpi) noexcept;
    [[nodiscard]] int BaseLength() const noexcept { return base_; }
    [[nodiscard]] int At(int baseCoordinate) const noexcept;

private:
    int length_;
    int dpi_;
    int base_;
};

class ScaledFace : public FaceCanvas {
public:
    // `device` is `width` x `height` pixels drawing at `dpi`.
    ScaledFace(FaceCanvas& device, int width, int height, int dpi) noexcept;

    // The face's size at 96 DPI, the size the renderers draw.
    [[nodiscard]] int Width() const noexcept { return x_.BaseLength(); }
    [[nodiscard]] int Height() const noexcept { return y_.BaseLength(); }
    [[nodiscard]] const ScaleAxis& X() const noexcept { return x_; }
    [[nodiscard]] const ScaleAxis& Y() const noexcept { return y_; }

    void SetBackground(ColorRef c) override;
    void Line(int x1, int y1, int x2, int y2, ColorRef c) override;
    void Fill(int x, int y, int w, int h, ColorRef c) override;
    void Pixel(int x, int y, ColorRef c) override;
    void Edge(int kind, const Rect& rect) override;

private:
    // The 96-DPI pixels from (left, top) to (right, bottom), exclusive, as one filled block.
    void Block(int left, int top, int right, int bottom, ColorRef c);

    FaceCanvas& device_;
    ScaleAxis x_;
    ScaleAxis y_;
    int dpi_;
};

}  // namespace button
