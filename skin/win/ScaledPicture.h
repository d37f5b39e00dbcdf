#pragma once
// A skin picture made for another DPI: each piece of the source stretched on its own into its place in a new
// surface with the platform's halftone filter, so a piece keeps its edges, nothing of its neighbour blurs into it
// and nothing is doubled into blocks.

#include <memory>
#include <vector>

#include "skin/CaptionLayout.h"
#include "cMemDC.h"

// A new surface of width x height holding every cell of `source` in its place; null when no surface can be made.
// Pixels no cell covers are left as the new surface has them (the frame never reads them).
[[nodiscard]] std::unique_ptr<cMemDC> MakeScaledPicture(const cMemDC& source,
                                                        const std::vector<skin::PictureCell>& cells, int width,
                                                        int height);
