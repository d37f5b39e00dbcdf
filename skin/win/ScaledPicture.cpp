#include "ScaledPicture.h"

std::unique_ptr<cMemDC> MakeScaledPicture(const cMemDC& source, const std::vector<skin::PictureCell>& cells,
                                          int width, int height) {
    auto picture = std::make_unique<cMemDC>();
    picture->Grow(width, height);
    const HDC to = picture->hdc();
    const HDC from = source.hdc();
    if (!to || !from) return nullptr;
    // The platform asks for the brush origin to be set again once the mode is halftone.
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    for (const skin::PictureCell& c : cells) {
        // A piece of the same size (the master at its own DPI) is copied as it is.
        if (c.from.Width() == c.to.Width() && c.from.Height() == c.to.Height()) {
            BitBlt(to, c.to.left, c.to.top, c.to.Width(), c.to.Height(), from, c.from.left, c.from.top, SRCCOPY);
        } else {
            StretchBlt(to, c.to.left, c.to.top, c.to.Width(), c.to.Height(), from, c.from.left, c.from.top,
                       c.from.Width(), c.from.Height(), SRCCOPY);
        }
    }
    return picture;
}
