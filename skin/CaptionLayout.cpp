#include "CaptionLayout.h"

#include <algorithm>

#include "winmsg/DpiScale.h"

namespace skin {

namespace {

// A copy out of a picture, cut to the picture: the inactive right piece of the standard skin would otherwise read
// one column past the caption picture's right edge (400 + 240 = 640).
void AddFromPicture(std::vector<Blit>& out, Surface picture, int pictureWidth, int pictureHeight, int srcX, int srcY,
                    Surface to, int dstX, int dstY, int width, int height) {
    width = std::min(width, pictureWidth - srcX);
    height = std::min(height, pictureHeight - srcY);
    if (srcX < 0 || srcY < 0 || width <= 0 || height <= 0) return;
    out.push_back({picture, srcX, srcY, to, dstX, dstY, width, height});
}

}  // namespace

SkinMetrics ScaleSkin(const SkinMetrics& at96, int dpi) noexcept {
    const auto scale = [dpi](int value) { return ScaleToDpi(value, dpi); };
    // The numbers that scale on their own, a row each.
    static constexpr int SkinMetrics::*kMetrics[] = {
        &SkinMetrics::captionWidth,   &SkinMetrics::captionHeight,  &SkinMetrics::borderHeight,
        &SkinMetrics::buttonHeight,   &SkinMetrics::activeLeftEnd,  &SkinMetrics::activeRightStart,
        &SkinMetrics::activeRightEnd, &SkinMetrics::inactiveOffset,
    };
    static constexpr int CaptionDesign::*kDesign[] = {
        &CaptionDesign::hairline,        &CaptionDesign::buttonColumnBase, &CaptionDesign::middleStart,
        &CaptionDesign::middleTileWidth, &CaptionDesign::titleLeft,        &CaptionDesign::titleRightGap,
        &CaptionDesign::buttonTop,
    };
    SkinMetrics out = at96;
    for (int SkinMetrics::*field : kMetrics) out.*field = scale(at96.*field);
    for (int CaptionDesign::*field : kDesign) out.design.*field = scale(at96.design.*field);
    const Rect& square = at96.design.systemMenuSquare;
    out.design.systemMenuSquare = {scale(square.left), scale(square.top), scale(square.right), scale(square.bottom)};

    const CaptionDesign& d = at96.design;
    const int hairline = out.design.hairline;
    // A button's place is an image and the hairline after it: that pitch scales, so a row of buttons stays within a
    // pixel of the scaled row instead of gaining a rounding per button.
    out.buttonWidth = scale(at96.buttonWidth + d.hairline) - hairline;
    // The border picture stays whole tiles of the new size.
    const int tile = at96.Tile();
    out.borderWidth = tile > 0 ? at96.borderWidth / tile * out.borderHeight + scale(at96.borderWidth % tile)
                               : scale(at96.borderWidth);
    // Close's right edge lies (tile - inset - hairline) short of the window's: that distance scales, and the inset is
    // what it leaves inside the tile.
    out.design.buttonInset = out.Tile() - hairline - scale(tile - d.buttonInset - d.hairline);
    return out;
}

Rect SystemMenuSquareAt(int dpi) noexcept {
    return ScaleSkin(SkinMetrics{}, dpi).design.systemMenuSquare;
}

namespace {

// The caption picture's pieces in the order they are drawn into a picture of this layout.
std::vector<Rect> CaptionPieces(const SkinMetrics& m) {
    const CaptionDesign& d = m.design;
    const int c = m.captionHeight;
    std::vector<Rect> pieces;
    for (const int off : {0, m.inactiveOffset}) {
        pieces.push_back({off, 0, off + m.activeLeftEnd, c});
        const int tile = off + m.activeLeftEnd + d.hairline;
        pieces.push_back({tile, 0, tile + d.middleTileWidth, c});
        pieces.push_back({off + m.activeRightStart, 0, off + m.activeRightEnd + d.hairline, c});
    }
    const int w = m.buttonWidth;
    const int h = m.buttonHeight;
    for (const int column : {d.buttonColumnBase + d.hairline, d.buttonColumnBase + w, d.buttonColumnBase + 2 * w,
                             d.buttonColumnBase + 3 * w}) {
        pieces.push_back({column, 0, column + w, h});
        pieces.push_back({column, h, column + w, 2 * h});
    }
    return pieces;
}

std::vector<Rect> BorderPieces(const SkinMetrics& m) {
    std::vector<Rect> pieces;
    const int t = m.Tile();
    for (int left = 0; t > 0 && left + t <= m.borderWidth; left += t) pieces.push_back({left, 0, left + t, t});
    return pieces;
}

// `part` of a length `of` as a share of `whole`, rounded.
int ShareOf(int part, int of, int whole) noexcept {
    return static_cast<int>((static_cast<long long>(part) * whole + of / 2) / of);
}

// Pairs the pieces of two layouts. A piece that reaches past its picture (the inactive right piece's last column)
// is cut there, and its other side by the same share.
std::vector<PictureCell> Pair(const std::vector<Rect>& from, int fromWidth, int fromHeight, const std::vector<Rect>& to,
                              int toWidth, int toHeight) {
    std::vector<PictureCell> cells;
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
        Rect f = from[i];
        Rect t = to[i];
        if (f.Width() <= 0 || f.Height() <= 0 || t.Width() <= 0 || t.Height() <= 0) continue;
        const int keptTo = std::min(t.right, toWidth) - t.left;
        const int keptFrom = std::min(f.right, fromWidth) - f.left;
        // The smaller share of the piece that lies inside its picture, on both sides.
        if (static_cast<long long>(keptTo) * f.Width() <= static_cast<long long>(keptFrom) * t.Width()) {
            f.right = f.left + ShareOf(keptTo, t.Width(), f.Width());
            t.right = t.left + keptTo;
        } else {
            t.right = t.left + ShareOf(keptFrom, f.Width(), t.Width());
            f.right = f.left + keptFrom;
        }
        f.bottom = std::min(f.bottom, fromHeight);
        t.bottom = std::min(t.bottom, toHeight);
        if (f.Width() > 0 && f.Height() > 0 && t.Width() > 0 && t.Height() > 0) cells.push_back({f, t});
    }
    return cells;
}

}  // namespace

std::vector<PictureCell> CaptionPictureCells(const SkinMetrics& from, const SkinMetrics& to) {
    return Pair(CaptionPieces(from), from.captionWidth, from.captionHeight, CaptionPieces(to), to.captionWidth,
                to.captionHeight);
}

std::vector<PictureCell> BorderPictureCells(const SkinMetrics& from, const SkinMetrics& to) {
    return Pair(BorderPieces(from), from.borderWidth, from.borderHeight, BorderPieces(to), to.borderWidth,
                to.borderHeight);
}

Margins FrameMargins(const SkinMetrics& m) noexcept {
    return {m.Tile(), m.captionHeight, m.Tile(), m.Tile()};
}

Blit ButtonImage(const SkinMetrics& m, CaptionButton button, bool pressed, bool maximized, const Rect& place,
                 Surface to) noexcept {
    const int w = m.buttonWidth;
    const int base = m.design.buttonColumnBase;
    int column = base + m.design.hairline;
    if (button == kMaximize) column = base + (maximized ? w : 2 * w);
    if (button == kMinimize) column = base + 3 * w;
    return {Surface::CaptionPicture, column, pressed ? m.buttonHeight : 0, to, place.left, place.top, w,
            m.buttonHeight};
}

namespace {

// A copy of the caption picture's full height into the strip.
void FromCaption(std::vector<Blit>& out, const SkinMetrics& m, int srcX, int dstX, int dstY, int width) {
    AddFromPicture(out, Surface::CaptionPicture, m.captionWidth, m.captionHeight, srcX, 0, Surface::Strip, dstX, dstY,
                   width, m.captionHeight);
}

// One square tile of the border picture, counted from its left.
void FromBorder(std::vector<Blit>& out, const SkinMetrics& m, int tile, Surface to, int dstX, int dstY) {
    const int t = m.Tile();
    AddFromPicture(out, Surface::BorderPicture, m.borderWidth, m.borderHeight, tile * t, 0, to, dstX, dstY, t, t);
}

// The right piece as it is copied: its columns and the hairline after them.
int RightPieceWidth(const SkinMetrics& m) noexcept {
    return m.activeRightEnd - m.activeRightStart + m.design.hairline;
}

// Caption background: the left piece, then the right piece at the right edge (or pinned after the left piece
// when the window is too narrow for both and a title).
void PlanCaptionPieces(FramePlan& plan, const SkinMetrics& m, int lLeft, int lTop, int lRight, int off) {
    FromCaption(plan.beforeText, m, off, lLeft, lTop, lLeft + m.activeLeftEnd);
    const int r = RightPieceWidth(m);
    int x = lRight - (m.activeRightEnd - m.activeRightStart);
    if (x < lLeft + r) {
        plan.narrow = true;
        x = lLeft + r;
    }
    plan.rightPieceX = x;
    FromCaption(plan.beforeText, m, off + m.activeRightStart, x, lTop, r);
}

// Buttons from the right: close, maximize, minimize; an absent button leaves no gap.
void PlanButtons(FramePlan& plan, const SkinMetrics& m, int lTop, bool maximized) {
    const CaptionDesign& d = m.design;
    const ButtonSet present = plan.present;
    const int top = lTop + d.buttonTop;
    const int start = plan.rightPieceX + RightPieceWidth(m) - m.Tile() + d.buttonInset;
    const int pitch = m.buttonWidth + d.hairline;
    auto place = [&](int left) { return Rect{left, top, left + pitch, top + m.buttonHeight}; };
    plan.buttons[kClose] = place(present.close ? start - pitch : start);
    const int closeLeft = plan.buttons[kClose].left;
    plan.buttons[kMaximize] = place(present.maximize ? closeLeft - pitch : closeLeft);
    const int maximizeLeft = plan.buttons[kMaximize].left;
    plan.buttons[kMinimize] = place(present.minimize ? maximizeLeft - pitch : maximizeLeft);
    for (CaptionButton b : {kClose, kMaximize, kMinimize}) {
        if (present.Has(b))
            plan.beforeText.push_back(ButtonImage(m, b, false, maximized, plan.buttons[b], Surface::Strip));
    }
}

// Middle tiles between the left piece and the right piece, then the title's and the menu bar's places.
void PlanMiddle(FramePlan& plan, const SkinMetrics& m, int lLeft, int lRight, int off) {
    const int c = m.captionHeight;
    const int t = m.Tile();
    const CaptionDesign& d = m.design;
    const int one = d.hairline;
    const int x = plan.rightPieceX;
    int i = lLeft + d.middleStart;
    do {
        FromCaption(plan.beforeText, m, m.activeLeftEnd + off + one, i, 0, std::min(d.middleTileWidth, x - i));
        i += d.middleTileWidth;
    } while (i < x);

    if (!plan.narrow) {
        plan.title = {lLeft + d.titleLeft, t + one, lRight - d.titleRightGap, t + one + (c - t - 2 * one) / 2};
    }
    plan.menuBand = {m.activeLeftEnd, c / 2, x, c / 2 + c / 2};
}

// Side columns: one tile of each side, then doubled downwards until they reach the bottom strip.
void PlanColumns(FramePlan& plan, const SkinMetrics& m, int lLeft, int lTop, int lRight, int lBottom) {
    const int t = m.Tile();
    const int y0 = lTop + m.captionHeight;
    const int need = lBottom - t - y0;  // rows between the caption and the bottom strip
    if (need > 0) {
        FromBorder(plan.afterText, m, 0, Surface::Columns, 0, y0);
        FromBorder(plan.afterText, m, 4, Surface::Columns, t, y0);
        for (int filled = t; filled < need; filled *= 2) {
            const int height = std::min(filled, plan.columnsHeight - (y0 + filled));
            if (height <= 0) break;
            plan.afterText.push_back({Surface::Columns, 0, y0, Surface::Columns, 0, y0 + filled, 2 * t, height});
        }
        // Only filled rows go out: the bottom strip covers the rest, so nothing undefined is ever shown.
        plan.afterText.push_back({Surface::Columns, 0, y0, Surface::Window, lLeft, y0, t, need});
        plan.afterText.push_back({Surface::Columns, t, y0, Surface::Window, lRight - t, y0, t, need});
    }
}

// Bottom strip, composed in the top rows of the caption strip: the edge tile repeated, then the two corners.
void PlanBottomStrip(FramePlan& plan, const SkinMetrics& m, int lLeft, int lRight, int lBottom) {
    const int t = m.Tile();
    FromBorder(plan.afterText, m, 3, Surface::Strip, lLeft + t, 0);
    for (int p = lLeft + 2 * t; p < lRight - t; p += t) {
        plan.afterText.push_back({Surface::Strip, p - t, 0, Surface::Strip, p, 0, t, t});
    }
    FromBorder(plan.afterText, m, 2, Surface::Strip, lLeft, 0);
    FromBorder(plan.afterText, m, 6, Surface::Strip, lRight - t, 0);
    plan.afterText.push_back(
        {Surface::Strip, 0, 0, Surface::Window, lLeft, std::max(lBottom - t, m.captionHeight), plan.stripWidth, t});
}

}  // namespace

FramePlan PlanFrame(const SkinMetrics& m, int lLeft, int lTop, int lRight, int lBottom, bool active, bool maximized,
                    ButtonSet present) {
    FramePlan plan;
    const int off = active ? 0 : m.inactiveOffset;
    plan.stripWidth = lRight - lLeft + 1;
    plan.stripHeight = m.captionHeight;
    plan.columnsWidth = 2 * m.borderWidth;
    plan.columnsHeight = lBottom - lTop + 1;
    plan.present = present;

    PlanCaptionPieces(plan, m, lLeft, lTop, lRight, off);
    PlanButtons(plan, m, lTop, maximized);
    PlanMiddle(plan, m, lLeft, lRight, off);
    // The caption strip reaches the window in one copy.
    plan.afterText.push_back({Surface::Strip, 0, 0, Surface::Window, 0, 0, plan.stripWidth, plan.stripHeight});
    PlanColumns(plan, m, lLeft, lTop, lRight, lBottom);
    PlanBottomStrip(plan, m, lLeft, lRight, lBottom);
    return plan;
}

int DefaultHitCode(int x, int y, int width, int height, const Margins& margins, bool sizable,
                   int systemCaptionHeight) noexcept {
    if (x < 0 || y < 0 || x >= width || y >= height) return kHtClient;
    const int b = margins.bottom;
    if (x <= margins.left) {
        if (!sizable) return kHtClient;
        return y <= b ? kHtTopLeft : y < height - b ? kHtLeft : kHtBottomLeft;
    }
    if (x >= width - margins.right) {
        if (!sizable) return kHtClient;
        return y <= b ? kHtTopRight : y < height - b ? kHtRight : kHtBottomRight;
    }
    if (y <= b) return sizable ? kHtTop : kHtClient;
    if (y >= height - b) return sizable ? kHtBottom : kHtClient;
    if (y <= margins.top && y <= systemCaptionHeight + b) {
        return x <= systemCaptionHeight ? kHtSysMenu : kHtCaption;
    }
    return kHtClient;
}

int ButtonAt(int x, int y, const std::array<Rect, kButtonCount>& buttons, ButtonSet present) noexcept {
    for (CaptionButton b : {kClose, kMaximize, kMinimize}) {
        if (present.Has(b) && buttons[b].Contains(x, y)) return b;
    }
    return -1;
}

int PainterHitCode(int x, int y, int code, const std::array<Rect, kButtonCount>& buttons, ButtonSet present,
                   const Rect& systemMenuSquare) noexcept {
    if (systemMenuSquare.Contains(x, y) || ButtonAt(x, y, buttons, present) >= 0) return kHtSysMenu;
    return code;
}

}  // namespace skin
