#pragma once
// Painting the button without the platform: colour arithmetic, the gradients built from lines, the window
// shapes, the paint sequence and the renderers. A canvas does the pixel work (GDI in the program, a plain
// raster in the tests).

#include <cstdint>
#include <vector>

#include "ButtonCore.h"
#include "ButtonTypes.h"

namespace button {

ColorRef Shift(ColorRef c, int d);
ColorRef Tint(ColorRef c, int level);
ColorRef Blend(ColorRef a, ColorRef b);
ColorRef Gray(ColorRef c);

// Grey conversion of one icon pixel: pure greys at the kept levels stay, anything else becomes its luminance.
ColorRef GrayscalePixel(ColorRef c);

// The per-row colour of a vertical gradient of n + 1 rows: the step is single precision (InterpolateChannel).
ColorRef GradientColor(ColorRef from, ColorRef to, int i, int n);

// What the style renderers draw with: the face and frame, in pixels at 96 DPI when the button draws at another
// (ScaledFace).
class FaceCanvas {
public:
    virtual ~FaceCanvas() = default;
    // Sets the surface's background colour, which clears the whole surface to it.
    virtual void SetBackground(ColorRef c) = 0;
    // From (x1, y1) toward (x2, y2), the end pixel excluded.
    virtual void Line(int x1, int y1, int x2, int y2, ColorRef c) = 0;
    virtual void Fill(int x, int y, int w, int h, ColorRef c) = 0;
    virtual void Pixel(int x, int y, ColorRef c) = 0;
    // The platform's three-dimensional edge of that kind, one pixel per border, just inside `rect`.
    virtual void Edge(int kind, const Rect& rect) = 0;
};

// The whole paint's canvas, in the surface's own pixels.
class Canvas : public FaceCanvas {
public:
    // The visual style's push button in `state`; false when there is no style or the drawing failed.
    virtual bool DrawThemed(int state) = 0;
    virtual void DrawIcon(int x, int y, int size, bool enabled) = 0;
    // The grey shadow under a lifted icon: every pixel of the icon's square that the icon covers becomes grey 128.
    virtual void DrawIconShadow(int x, int y, int size) = 0;
    virtual void DrawCaption(const Rect& rect, std::uint32_t format, ColorRef color) = 0;
};

void Frame(FaceCanvas& canvas, int x, int y, int w, int h, ColorRef c);
void VGrad(FaceCanvas& canvas, ColorRef c1, ColorRef c2, int x1, int y0, int x2, int n);
void HGrad(FaceCanvas& canvas, ColorRef c1, ColorRef c2, int x1, int y1, int x2, int y2);

// Window shape of a style in pixels of a W x H button.
struct Shape {
    enum class Kind { Rectangle, Polygon, RoundRect } kind = Kind::Rectangle;
    Rect rect;                  // Rectangle, RoundRect
    int ellipse = 0;            // RoundRect corner diameter
    std::vector<Point> points;  // Polygon, filled in alternate mode
};
Shape ShapeFor(std::int32_t style, int width, int height);
// The same shape for a W x H button drawing at `dpi`: its corners cut as the face's are (ScaledFace).
Shape ShapeAtDpi(std::int32_t style, int width, int height, int dpi);

Point IconPosition(std::int32_t iconAlign, int iconSize, int margin, int width, int height);

// The surface's background becomes `c` (cleared to it) and stays so for the next paint; a stored value that names a
// system colour is translated again at every paint.
void SetSurfaceBackground(ButtonCore& core, FaceCanvas& canvas, OleColor c);
void SetSurfaceBackground(ButtonCore& core, FaceCanvas& canvas, ColorRef c);

// Everything one paint needs besides the canvas.
struct PaintInput {
    int width = 0;
    int height = 0;
    bool userMode = true;
};

// The whole paint: background, state overrides, the renderer of the style, icon, caption, at the site's DPI.
// True when the themed style fell back to `NonThemeStyle` during this paint, so the next paint shows the new
// style.
bool Paint(ButtonCore& core, Canvas& canvas, const PaintInput& input);

// Style 8 in the current state.
void PaintGradientBevel(ButtonCore& core, FaceCanvas& canvas, int width, int height);

}  // namespace button
