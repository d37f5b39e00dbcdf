#pragma once
// The geometry of the skinned frame without the platform: which piece of the two skin pictures goes where, where
// the caption buttons lie and what each point of the frame answers to the pointer. The painter and the engine
// draw and hit-test from these plans; everything is in pixels, relative to the window's top-left corner.

#include <array>
#include <vector>

#include "winmsg/Geometry.h"

namespace skin {

// The two pictures and the six numbers a skin is attached with.
struct SkinMetrics {
    int captionWidth = 0;  // the caption picture; its height is the caption's
    int captionHeight = 0;
    int borderWidth = 0;  // the border picture; its height is the tile size
    int borderHeight = 0;
    int buttonWidth = 0;  // one caption-button image
    int buttonHeight = 0;
    int activeLeftEnd = 0;     // width of the left piece
    int activeRightStart = 0;  // first and last column of the right piece
    int activeRightEnd = 0;
    int inactiveOffset = 0;  // where the inactive copy of the background pieces starts

    [[nodiscard]] int Tile() const noexcept { return borderHeight; }
};

struct Margins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Margins&, const Margins&) = default;
};

// The caption picture's height on top, the border tile on the other three sides.
[[nodiscard]] Margins FrameMargins(const SkinMetrics& m) noexcept;

// The four surfaces a frame paint uses: the two pictures (read only), the caption/bottom strip, the side columns
// and the window itself.
enum class Surface { CaptionPicture, BorderPicture, Strip, Columns, Window };

// One rectangle copied from one surface to another.
struct Blit {
    Surface from;
    int srcX, srcY;
    Surface to;
    int dstX, dstY;
    int width, height;
    friend bool operator==(const Blit&, const Blit&) = default;
};

enum CaptionButton { kClose = 0, kMaximize = 1, kMinimize = 2, kButtonCount = 3 };

// Which caption buttons the window's style asks for.
struct ButtonSet {
    bool close = true;
    bool maximize = true;
    bool minimize = true;
    [[nodiscard]] bool Has(CaptionButton b) const noexcept {
        return b == kClose ? close : b == kMaximize ? maximize : minimize;
    }
};

// Where one caption-button image comes from in the caption picture and where it goes.
[[nodiscard]] Blit ButtonImage(const SkinMetrics& m, CaptionButton button, bool pressed, bool maximized,
                               const Rect& place, Surface to) noexcept;

// The whole frame paint of a window (lLeft, lTop)-(lRight, lBottom), in order. Only four blits reach the window:
// the caption strip, the two side columns and the bottom strip. Every copy from a picture is clamped to the
// picture, so no pixel from outside it reaches the frame.
struct FramePlan {
    int stripWidth = 0;  // scratch sizes the plan needs (the scratch surfaces may be larger)
    int stripHeight = 0;
    int columnsWidth = 0;
    int columnsHeight = 0;
    bool narrow = false;  // too narrow for a title: the right piece is pinned after the left piece
    int rightPieceX = 0;
    std::array<Rect, kButtonCount> buttons{};  // hit rectangles (also for absent buttons, which are not drawn)
    ButtonSet present;
    Rect title;  // empty when narrow
    // The band the menu bar renders into (scratch strip coordinates, which are the window's).
    Rect menuBand;
    std::vector<Blit> beforeText;  // caption background and buttons into the strip
    std::vector<Blit> afterText;   // the strip to the window, the side columns, the bottom strip
};

[[nodiscard]] FramePlan PlanFrame(const SkinMetrics& m, int lLeft, int lTop, int lRight, int lBottom, bool active,
                                  bool maximized, ButtonSet present);

// Hit-test codes as the platform numbers them.
enum HitCode : int {
    kHtClient = 1, kHtCaption = 2, kHtSysMenu = 3, kHtMenu = 5,
    // The sizing borders and corners.
    kHtLeft = 10, kHtRight = 11, kHtTop = 12, kHtTopLeft = 13, kHtTopRight = 14,
    kHtBottom = 15, kHtBottomLeft = 16, kHtBottomRight = 17,
};

// The engine's own zones for the point (x, y) of a window of W x H with the given margins. The top sizing band is
// as tall as the bottom margin; below the system caption's height the caption answers as client area, the band
// where a menu bar is drawn.
[[nodiscard]] int DefaultHitCode(int x, int y, int width, int height, const Margins& margins, bool sizable,
                                 int systemCaptionHeight) noexcept;

// The window-menu square of the caption, in window coordinates.
inline constexpr Rect kSystemMenuSquare{12, 11, 42, 43};

// The painter's say on a hit code: the window-menu square and every present button answer the window menu's
// code, so the engine does not take them for caption.
[[nodiscard]] int PainterHitCode(int x, int y, int code, const std::array<Rect, kButtonCount>& buttons,
                                 ButtonSet present) noexcept;

// The first present button under the point, in the order close, maximize, minimize; -1 for none.
[[nodiscard]] int ButtonAt(int x, int y, const std::array<Rect, kButtonCount>& buttons, ButtonSet present) noexcept;

}  // namespace skin
