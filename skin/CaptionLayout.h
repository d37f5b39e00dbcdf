#pragma once
// The geometry of the skinned frame without the platform: which piece of the two skin pictures goes where, where
// the caption buttons lie and what each point of the frame answers to the pointer. The painter and the engine
// draw and hit-test from these plans; everything is in pixels, relative to the window's top-left corner.
//
// Every number of the design is given at 96 DPI. At another DPI only those numbers are scaled (ScaleSkin) and
// everything else follows from them by the same formulas, so the pieces still meet where they met.

#include <array>
#include <vector>

#include "winmsg/Geometry.h"

namespace skin {

// The fixed places of the caption design, as at 96 DPI.
struct CaptionDesign {
    // The design's one-pixel steps: close one column after the button base, the column between two buttons, the
    // title one row below the tile, the right piece's last column past the window's edge.
    int hairline = 1;
    int buttonColumnBase = 240;  // the button images start after it
    int middleStart = 90;        // where the middle tiles are laid from
    int middleTileWidth = 52;
    int titleLeft = 92;
    int titleRightGap = 96;  // the title stops this far short of the right edge
    int buttonTop = 5;
    int buttonInset = 4;  // close's right edge, counted from the right piece's end less a tile
    Rect systemMenuSquare{12, 11, 42, 43};
    friend bool operator==(const CaptionDesign&, const CaptionDesign&) = default;
};

// The two pictures and the six numbers a skin is attached with, and the design's fixed places.
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
    CaptionDesign design{};

    [[nodiscard]] int Tile() const noexcept { return borderHeight; }
    friend bool operator==(const SkinMetrics&, const SkinMetrics&) = default;
};

// The metrics of a skin given at 96 DPI (pictures, numbers and design) at another DPI. Only the design's inputs
// are scaled; the button width and the inset are worked out so that the buttons' pitch and close's distance from
// the window's edge scale, and the border picture stays whole tiles. At 96 DPI the metrics are returned as given.
[[nodiscard]] SkinMetrics ScaleSkin(const SkinMetrics& at96, int dpi) noexcept;

// One piece of a skin picture and where it goes in the same picture at another DPI.
struct PictureCell {
    Rect from;
    Rect to;
    friend bool operator==(const PictureCell&, const PictureCell&) = default;
};

// The pieces of the caption picture (left piece, middle tile and right piece of both backgrounds, then the button
// images, normal and pressed) in the picture laid out by `from`, each with its place in the picture laid out by
// `to`. Each piece is scaled on its own, so nothing of its neighbour blurs into it. Pieces that overlap (the tile
// and the right piece, two buttons' shared column) come in the order they are to be drawn.
[[nodiscard]] std::vector<PictureCell> CaptionPictureCells(const SkinMetrics& from, const SkinMetrics& to);
// The border picture's square tiles, from one layout to the other.
[[nodiscard]] std::vector<PictureCell> BorderPictureCells(const SkinMetrics& from, const SkinMetrics& to);

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

// The caption's window-menu square at a DPI, where the engine opens the window menu.
[[nodiscard]] Rect SystemMenuSquareAt(int dpi) noexcept;

// The painter's say on a hit code: the window-menu square (window coordinates) and every present button answer
// the window menu's code, so the engine does not take them for caption.
[[nodiscard]] int PainterHitCode(int x, int y, int code, const std::array<Rect, kButtonCount>& buttons,
                                 ButtonSet present,
                                 const Rect& systemMenuSquare = CaptionDesign{}.systemMenuSquare) noexcept;

// The first present button under the point, in the order close, maximize, minimize; -1 for none.
[[nodiscard]] int ButtonAt(int x, int y, const std::array<Rect, kButtonCount>& buttons, ButtonSet present) noexcept;

}  // namespace skin
