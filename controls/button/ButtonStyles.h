#pragma once
// The renderers of the button's styles other than the gradient bevel and the themed one. Each paints the whole
// face and frame of a W x H button in the state settled by Paint; the icon and the caption come after.

#include "ButtonCore.h"
#include "ButtonPaint.h"

namespace button {

// Edge kinds of the platform's three-dimensional edge.
inline constexpr int kEdgeRaised = 5;
inline constexpr int kEdgeSunken = 10;
inline constexpr int kEdgeThinRaised = 4;
inline constexpr int kEdgeThinSunken = 2;

void PaintEdge3D(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintThinEdge(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintFlatHover(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintDoubleFrame(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintHighlightTint(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintSkinned(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintGlossy(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintCapsule(ButtonCore& core, FaceCanvas& canvas, int width, int height);
void PaintRounded(ButtonCore& core, FaceCanvas& canvas, int width, int height);

// Pixels cut from each end of row `row` (0 at the top) by the rounded window shape of a button `height` pixels
// high: the first is the left end, the second the right end. Rows away from the corners lose nothing.
struct RowInset {
    int left = 0;
    int right = 0;
};
RowInset RoundedInset(int row, int height);

}  // namespace button
