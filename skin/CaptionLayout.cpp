#include "CaptionLayout.h"

#include <algorithm>

namespace skin {

namespace {

// Fixed places of the caption design: the button images start after column 240 (close at 241), the middle tiles
// are 52 columns wide and laid from column 90, the title starts at column 92 and stops 96 short of the right edge,
// and the buttons sit 5 rows down.
constexpr int kButtonColumnBase = 240;
constexpr int kMiddleTileWidth = 52;
constexpr int kMiddleStart = 90;
constexpr int kTitleLeft = 92;
constexpr int kTitleRightGap = 96;
constexpr int kButtonTop = 5;

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

Margins FrameMargins(const SkinMetrics& m) noexcept {
    return {m.Tile(), m.captionHeight, m.Tile(), m.Tile()};
}

Blit ButtonImage(const SkinMetrics& m, CaptionButton button, bool pressed, bool maximized, const Rect& place,
                 Surface to) noexcept {
    const int w = m.buttonWidth;
    int column = kButtonColumnBase + 1;
    if (button == kMaximize) column = kButtonColumnBase + (maximized ? w : 2 * w);
    if (button == kMinimize) column = kButtonColumnBase + 3 * w;
    return {Surface::CaptionPicture, column, pressed ? m.buttonHeight : 0, to, place.left, place.top, w,
            m.buttonHeight};
}

FramePlan PlanFrame(const SkinMetrics& m, int lLeft, int lTop, int lRight, int lBottom, bool active, bool maximized,
                    ButtonSet present) {
    FramePlan plan;
    const int c = m.captionHeight;
    const int t = m.Tile();
    const int w = m.buttonWidth;
    const int off = active ? 0 : m.inactiveOffset;
    plan.stripWidth = lRight - lLeft + 1;
    plan.stripHeight = c;
    plan.columnsWidth = 2 * m.borderWidth;
    plan.columnsHeight = lBottom - lTop + 1;
    plan.present = present;

    auto fromCaption = [&](std::vector<Blit>& out, int srcX, int dstX, int dstY, int width) {
        AddFromPicture(out, Surface::CaptionPicture, m.captionWidth, m.captionHeight, srcX, 0, Surface::Strip, dstX,
                       dstY, width, c);
    };
    auto fromBorder = [&](std::vector<Blit>& out, int tile, Surface to, int dstX, int dstY) {
        AddFromPicture(out, Surface::BorderPicture, m.borderWidth, m.borderHeight, tile * t, 0, to, dstX, dstY, t, t);
    };

    // Caption background: the left piece, then the right piece at the right edge (or pinned after the left piece
    // when the window is too narrow for both and a title).
    fromCaption(plan.beforeText, off, lLeft, lTop, lLeft + m.activeLeftEnd);
    const int r = m.activeRightEnd - m.activeRightStart + 1;
    int x = lRight - (m.activeRightEnd - m.activeRightStart);
    if (x < lLeft + r) {
        plan.narrow = true;
        x = lLeft + r;
    }
    plan.rightPieceX = x;
    fromCaption(plan.beforeText, off + m.activeRightStart, x, lTop, r);

    // Buttons from the right: close, maximize, minimize; an absent button leaves no gap.
    const int top = lTop + kButtonTop;
    const int start = x + r - t + 4;
    auto place = [&](int left) { return Rect{left, top, left + w + 1, top + m.buttonHeight}; };
    plan.buttons[kClose] = place(present.close ? start - w - 1 : start);
    const int closeLeft = plan.buttons[kClose].left;
    plan.buttons[kMaximize] = place(present.maximize ? closeLeft - w - 1 : closeLeft);
    const int maximizeLeft = plan.buttons[kMaximize].left;
    plan.buttons[kMinimize] = place(present.minimize ? maximizeLeft - w - 1 : maximizeLeft);
    for (CaptionButton b : {kClose, kMaximize, kMinimize}) {
        if (present.Has(b))
            plan.beforeText.push_back(ButtonImage(m, b, false, maximized, plan.buttons[b], Surface::Strip));
    }

    // Middle tiles between the left piece and the right piece.
    int i = lLeft + kMiddleStart;
    do {
        fromCaption(plan.beforeText, m.activeLeftEnd + off + 1, i, 0, std::min(kMiddleTileWidth, x - i));
        i += kMiddleTileWidth;
    } while (i < x);

    if (!plan.narrow) {
        plan.title = {lLeft + kTitleLeft, t + 1, lRight - kTitleRightGap, t + 1 + (c - t - 2) / 2};
    }
    plan.menuBand = {m.activeLeftEnd, c / 2, x, c / 2 + c / 2};

    // The caption strip reaches the window in one copy.
    plan.afterText.push_back({Surface::Strip, 0, 0, Surface::Window, 0, 0, plan.stripWidth, c});

    // Side columns: one tile of each side, then doubled downwards until they reach the bottom strip.
    const int y0 = lTop + c;
    const int need = lBottom - t - y0;  // rows between the caption and the bottom strip
    if (need > 0) {
        fromBorder(plan.afterText, 0, Surface::Columns, 0, y0);
        fromBorder(plan.afterText, 4, Surface::Columns, t, y0);
        for (int filled = t; filled < need; filled *= 2) {
            const int height = std::min(filled, plan.columnsHeight - (y0 + filled));
            if (height <= 0) break;
            plan.afterText.push_back({Surface::Columns, 0, y0, Surface::Columns, 0, y0 + filled, 2 * t, height});
        }
        // Only filled rows go out: the bottom strip covers the rest, so nothing undefined is ever shown.
        plan.afterText.push_back({Surface::Columns, 0, y0, Surface::Window, lLeft, y0, t, need});
        plan.afterText.push_back({Surface::Columns, t, y0, Surface::Window, lRight - t, y0, t, need});
    }

    // Bottom strip, composed in the top rows of the caption strip: the edge tile repeated, then the two corners.
    fromBorder(plan.afterText, 3, Surface::Strip, lLeft + t, 0);
    for (int p = lLeft + 2 * t; p < lRight - t; p += t) {
        plan.afterText.push_back({Surface::Strip, p - t, 0, Surface::Strip, p, 0, t, t});
    }
    fromBorder(plan.afterText, 2, Surface::Strip, lLeft, 0);
    fromBorder(plan.afterText, 6, Surface::Strip, lRight - t, 0);
    plan.afterText.push_back(
        {Surface::Strip, 0, 0, Surface::Window, lLeft, std::max(lBottom - t, c), plan.stripWidth, t});
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

int PainterHitCode(int x, int y, int code, const std::array<Rect, kButtonCount>& buttons, ButtonSet present) noexcept {
    if (kSystemMenuSquare.Contains(x, y) || ButtonAt(x, y, buttons, present) >= 0) return kHtSysMenu;
    return code;
}

}  // namespace skin
