// The frame's geometry: every pixel of a painted frame traced back to the skin picture it came from, the narrow
// window, the caption buttons closing up, and the zones a point of the frame answers; at other DPIs, the scaled
// numbers within a pixel of the 96-DPI ones and a frame made of the scaled pictures showing the same skin.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "skin/CaptionLayout.h"
#include "winmsg/DpiScale.h"

namespace {

using namespace skin;

// The main window's skin: a 640 x 48 caption picture, a 70 x 10 border picture and the numbers it is attached with.
const SkinMetrics kMain{640, 48, 70, 10, 19, 20, 90, 140, 240, 400};

// Pixels that say where they came from: a picture pixel holds its picture and position; scratch surfaces start
// undefined and the window starts unpainted.
constexpr int kUndefined = -1;
constexpr int kUnpainted = -2;
int Tag(Surface s, int x, int y) {
    return static_cast<int>(s) * 1000000 + x * 1000 + y;
}

struct Image {
    int width = 0, height = 0;
    std::vector<int> px;
    Image(int w, int h, int fill) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
    int& At(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
};

Image Picture(Surface s, int w, int h) {
    Image image(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.At(x, y) = Tag(s, x, y);
    return image;
}

// Runs a plan the way GDI would: targets clip, and a read outside a picture is a fault of the plan.
struct Painter {
    Image caption = Picture(Surface::CaptionPicture, kMain.captionWidth, kMain.captionHeight);
    Image border = Picture(Surface::BorderPicture, kMain.borderWidth, kMain.borderHeight);
    Image strip, columns, window;
    int windowCopies = 0;

    Painter(const FramePlan& plan, int w, int h, Image captionPicture, Image borderPicture)
        : caption(std::move(captionPicture)),
          border(std::move(borderPicture)),
          strip(plan.stripWidth, plan.stripHeight, kUndefined),
          columns(plan.columnsWidth, plan.columnsHeight, kUndefined),
          window(w, h, kUnpainted) {}
    Painter(const FramePlan& plan, int w, int h)
        : strip(plan.stripWidth, plan.stripHeight, kUndefined),
          columns(plan.columnsWidth, plan.columnsHeight, kUndefined),
          window(w, h, kUnpainted) {}

    Image& Of(Surface s) {
        switch (s) {
            case Surface::CaptionPicture: return caption;
            case Surface::BorderPicture: return border;
            case Surface::Strip: return strip;
            case Surface::Columns: return columns;
            case Surface::Window: return window;
        }
        return window;
    }

    void Run(const std::vector<Blit>& blits) {
        for (const Blit& b : blits) {
            Image& from = Of(b.from);
            Image& to = Of(b.to);
            const bool picture = b.from == Surface::CaptionPicture || b.from == Surface::BorderPicture;
            if (picture &&
                (b.srcX < 0 || b.srcY < 0 || b.srcX + b.width > from.width || b.srcY + b.height > from.height)) {
                ADD_FAILURE() << "reads outside the picture: x " << b.srcX << " + " << b.width << " of " << from.width;
            }
            std::vector<int> copy;
            for (int y = 0; y < b.height; ++y)
                for (int x = 0; x < b.width; ++x) {
                    const int sx = b.srcX + x, sy = b.srcY + y;
                    copy.push_back(sx < from.width && sy < from.height ? from.At(sx, sy) : kUndefined);
                }
            for (int y = 0; y < b.height; ++y)
                for (int x = 0; x < b.width; ++x) {
                    const int dx = b.dstX + x, dy = b.dstY + y;
                    if (dx >= 0 && dy >= 0 && dx < to.width && dy < to.height)
                        to.At(dx, dy) = copy[static_cast<size_t>(y) * b.width + x];
                }
            windowCopies += b.to == Surface::Window;
        }
    }
};

// What the frame of a window W x H shows at (x, y) with the main skin and close and minimise buttons.
int Expected(int x, int y, int w, int h, bool active) {
    const int off = active ? 0 : 400;
    const auto caption = [](int cx, int cy) { return Tag(Surface::CaptionPicture, cx, cy); };
    const auto border = [](int bx, int by) { return Tag(Surface::BorderPicture, bx, by); };
    if (y < 48) {
        if (y >= 5 && y < 25 && x >= w - 45 && x < w - 26) return caption(297 + x - (w - 45), y - 5);  // minimise
        if (y >= 5 && y < 25 && x >= w - 25 && x < w - 6) return caption(241 + x - (w - 25), y - 5);   // close
        if (x < 90) return caption(off + x, y);
        if (x >= w - 100) return caption(off + 140 + x - (w - 100), y);
        return caption(off + 91 + (x - 90) % 52, y);
    }
    if (y < h - 10) {
        if (x < 10) return border(x, (y - 48) % 10);
        if (x >= w - 10) return border(40 + x - (w - 10), (y - 48) % 10);
        return kUnpainted;  // the client area is not touched
    }
    if (x < 10) return border(20 + x, y - (h - 10));
    if (x >= w - 10) return border(60 + x - (w - 10), y - (h - 10));
    return border(30 + (x - 10) % 10, y - (h - 10));
}

TEST(CaptionLayout, EveryFramePixelComesFromItsPlaceInTheSkinActiveAndInactive) {
    const int w = 514, h = 409;
    for (const bool active : {true, false}) {
        const FramePlan plan = PlanFrame(kMain, 0, 0, w, h, active, false, {true, false, true});
        Painter painter(plan, w, h);
        painter.Run(plan.beforeText);
        painter.Run(plan.afterText);
        EXPECT_EQ(painter.windowCopies, 4) << "caption strip, two side columns and the bottom strip";
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (painter.window.At(x, y) != Expected(x, y, w, h, active) && ++wrong <= 5)
                    ADD_FAILURE() << (active ? "active" : "inactive") << " pixel (" << x << ", " << y << ") is "
                                  << painter.window.At(x, y) << ", expected " << Expected(x, y, w, h, active);
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(FrameMargins(kMain), (Margins{10, 48, 10, 10}));
}

TEST(CaptionLayout, ShortAndTallWindowsShowNoUndefinedPixel) {
    for (const int h : {48, 55, 58, 59, 67, 68, 69, 128, 1000}) {
        const FramePlan plan = PlanFrame(kMain, 0, 0, 300, h, true, false, {});
        Painter painter(plan, 300, h);
        painter.Run(plan.beforeText);
        painter.Run(plan.afterText);
        for (int y = 0; y < h; ++y)
            for (const int x : {0, 9, 150, 290, 299})
                EXPECT_NE(painter.window.At(x, y), kUndefined) << "height " << h << " at " << x << "," << y;
    }
}

TEST(CaptionLayout, ANarrowWindowPinsTheRightPieceAndHasNoTitle) {
    const FramePlan wide = PlanFrame(kMain, 0, 0, 201, 100, true, false, {});
    EXPECT_FALSE(wide.narrow);
    EXPECT_EQ(wide.rightPieceX, 101);

    const int w = 180;
    const FramePlan plan = PlanFrame(kMain, 0, 0, w, 100, true, false, {true, false, true});
    EXPECT_TRUE(plan.narrow);
    EXPECT_EQ(plan.rightPieceX, 101);
    EXPECT_EQ(plan.title.Width(), 0);
    Painter painter(plan, w, 100);
    painter.Run(plan.beforeText);
    painter.Run(plan.afterText);
    EXPECT_EQ(painter.window.At(100, 30), Tag(Surface::CaptionPicture, 101, 30)) << "one shortened middle tile";
    EXPECT_EQ(painter.window.At(101, 30), Tag(Surface::CaptionPicture, 140, 30));
    EXPECT_EQ(painter.window.At(179, 30), Tag(Surface::CaptionPicture, 218, 30));
}

TEST(CaptionLayout, TitleMenuBandAndButtonsCloseUpToTheRight) {
    const int w = 514;  // right piece at 414, buttons start at 414 + 101 - 10 + 4 = 509
    const FramePlan all = PlanFrame(kMain, 0, 0, w, 400, true, false, {true, true, true});
    EXPECT_EQ(all.title, (Rect{92, 11, 418, 29}));
    EXPECT_EQ(all.menuBand, (Rect{90, 24, 414, 48}));
    EXPECT_EQ(all.buttons[kClose], (Rect{489, 5, 509, 25}));

    struct Case {
        ButtonSet set;
        int close, maximize, minimize;
    };
    const Case cases[] = {
        {{true, true, true}, 489, 469, 449},
        {{true, false, true}, 489, 489, 469},  // the main window: minimise directly left of close
        {{false, true, true}, 509, 489, 469},
        {{false, false, true}, 509, 509, 489},
        {{true, false, false}, 489, 489, 489},
    };
    for (const Case& c : cases) {
        const FramePlan plan = PlanFrame(kMain, 0, 0, w, 400, true, false, c.set);
        EXPECT_EQ(plan.buttons[kClose].left, c.close);
        EXPECT_EQ(plan.buttons[kMaximize].left, c.maximize);
        EXPECT_EQ(plan.buttons[kMinimize].left, c.minimize);
        const auto drawn = std::count_if(plan.beforeText.begin(), plan.beforeText.end(),
                                         [](const Blit& b) { return b.srcX > 240 && b.srcX < 400; });
        EXPECT_EQ(drawn, c.set.close + c.set.maximize + c.set.minimize) << "only present buttons are drawn";
    }

    const Rect place{449, 5, 469, 25};
    EXPECT_EQ(ButtonImage(kMain, kMaximize, false, false, place, Surface::Window).srcX, 278);
    EXPECT_EQ(ButtonImage(kMain, kMaximize, false, true, place, Surface::Window).srcX, 259) << "restore";
    const Blit pressed = ButtonImage(kMain, kMinimize, true, false, place, Surface::Window);
    EXPECT_EQ(pressed, (Blit{Surface::CaptionPicture, 297, 20, Surface::Window, 449, 5, 19, 20}));
}

TEST(CaptionLayout, HitZonesOfASizableAndAFixedWindow) {
    const Margins m{10, 48, 10, 10};
    const int caption = 19;  // the system caption's height
    struct Case {
        int x, y, sizable, fixed;
    };
    const Case cases[] = {
        {0, 0, kHtTopLeft, kHtClient},         {10, 10, kHtTopLeft, kHtClient},       {10, 11, kHtLeft, kHtClient},
        {5, 189, kHtLeft, kHtClient},          {5, 190, kHtBottomLeft, kHtClient},    {290, 5, kHtTopRight, kHtClient},
        {299, 199, kHtBottomRight, kHtClient}, {289, 5, kHtTop, kHtClient},           {150, 10, kHtTop, kHtClient},
        {150, 11, kHtCaption, kHtCaption},     {19, 20, kHtSysMenu, kHtSysMenu},      {20, 20, kHtCaption, kHtCaption},
        {150, 29, kHtCaption, kHtCaption},     {150, 30, kHtClient, kHtClient},       {150, 47, kHtClient, kHtClient},
        {150, 190, kHtBottom, kHtClient},      {-1, 5, kHtClient, kHtClient},         {300, 5, kHtClient, kHtClient},
        {290, 10, kHtTopRight, kHtClient},     {295, 190, kHtBottomRight, kHtClient}, {150, 200, kHtClient, kHtClient},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DefaultHitCode(c.x, c.y, 300, 200, m, true, caption), c.sizable) << c.x << "," << c.y;
        EXPECT_EQ(DefaultHitCode(c.x, c.y, 300, 200, m, false, caption), c.fixed) << c.x << "," << c.y;
    }

    const FramePlan plan = PlanFrame(kMain, 0, 0, 300, 200, true, false, {true, false, true});
    const Rect close = plan.buttons[kClose];
    EXPECT_EQ(PainterHitCode(12, 11, kHtClient, plan.buttons, plan.present), kHtSysMenu);
    EXPECT_EQ(PainterHitCode(41, 42, kHtCaption, plan.buttons, plan.present), kHtSysMenu);
    EXPECT_EQ(PainterHitCode(42, 20, kHtCaption, plan.buttons, plan.present), kHtCaption);
    EXPECT_EQ(PainterHitCode(close.left, close.top, kHtCaption, plan.buttons, plan.present), kHtSysMenu);
    EXPECT_EQ(ButtonAt(close.right - 1, close.bottom - 1, plan.buttons, plan.present), kClose);
    EXPECT_EQ(ButtonAt(close.right, close.top, plan.buttons, plan.present), -1);
    // An absent button is never hit, even where its rectangle lies.
    EXPECT_EQ(ButtonAt(close.left, close.top, plan.buttons, {false, false, true}), -1);
}

// ------------------------------------------------------------------------------------------- other DPIs

constexpr int kScaledDpis[] = {120, 144, 192, 288};
// A window of this size is exactly 1.25, 1.5, 2 and 3 times as large at those DPIs.
constexpr int kWidth96 = 512, kHeight96 = 400;

// A frame's sizes: caption, tile and button image; the buttons' places counted from the right edge, as they are laid
// out; the title, the menu band, the right piece and the window-menu square.
std::vector<int> FrameSizes(const SkinMetrics& m, int w, int h) {
    const FramePlan p = PlanFrame(m, 0, 0, w, h, true, false, {});
    const Rect &close = p.buttons[kClose], &minimize = p.buttons[kMinimize], &square = m.design.systemMenuSquare;
    return {m.captionHeight,   m.Tile(),         m.buttonWidth,     w - close.left,      w - close.right,
            w - minimize.left, close.top,        close.bottom,      p.title.left,        w - p.title.right,
            p.title.top,       p.title.bottom,   p.title.Height(),  p.menuBand.left,     w - p.menuBand.right,
            p.menuBand.top,    p.menuBand.Height(), w - p.rightPieceX, square.left,      square.bottom};
}

TEST(CaptionLayout, AtEveryScaleEachDerivedSizeIsWithinAPixelOfTheScaledOne) {
    EXPECT_EQ(ScaleSkin(kMain, kBaseDpi), kMain) << "at 96 DPI the skin keeps its own numbers";
    const std::vector<int> at96 = FrameSizes(kMain, kWidth96, kHeight96);
    for (const int dpi : kScaledDpis) {
        const SkinMetrics m = ScaleSkin(kMain, dpi);
        EXPECT_EQ(m.borderWidth, 7 * m.Tile()) << dpi << ": the border picture is whole tiles";
        EXPECT_EQ(SystemMenuSquareAt(dpi), m.design.systemMenuSquare) << dpi << ": where the window menu opens";
        const std::vector<int> sizes = FrameSizes(m, ScaleToDpi(kWidth96, dpi), ScaleToDpi(kHeight96, dpi));
        for (std::size_t i = 0; i < sizes.size(); ++i)
            EXPECT_LE(std::abs(sizes[i] - ScaleToDpi(at96[i], dpi)), 1) << "size " << i << " at " << dpi << " DPI";
    }
}

TEST(CaptionLayout, TheMastersPiecesLieAtTwiceTheirPlaces) {
    // resources/make_skin.py draws the 200 % master with every piece of the 96-DPI picture at twice its place.
    const SkinMetrics master = ScaleSkin(kMain, 192);
    std::vector<PictureCell> cells = CaptionPictureCells(kMain, master);
    EXPECT_EQ(cells.size(), 14u) << "three pieces of each background, four buttons normal and pressed";
    for (const PictureCell& c : BorderPictureCells(kMain, master)) cells.push_back(c);
    for (const PictureCell& c : cells)
        EXPECT_EQ(c.to, (Rect{2 * c.from.left, 2 * c.from.top, 2 * c.from.right, 2 * c.from.bottom})) << c.from.left;
    // Pictures that do not match: no piece of nothing, and no pair past the shorter list of pieces.
    EXPECT_TRUE(CaptionPictureCells(SkinMetrics{}, master).empty() &&
                BorderPictureCells(SkinMetrics{}, master).empty());
    EXPECT_TRUE(CaptionPictureCells(master, SkinMetrics{}).empty());
    SkinMetrics oneTile = master;
    oneTile.borderWidth = oneTile.Tile();
    EXPECT_EQ(BorderPictureCells(kMain, oneTile).size(), 1u);
    EXPECT_EQ(BorderPictureCells(oneTile, kMain).size(), 1u);
}

// A picture at another DPI made of the 96-DPI one's pieces: each pixel names the 96-DPI pixel it is scaled from; a
// pixel no piece made stays undefined.
Image ScaledPicture(Surface s, const std::vector<PictureCell>& cells, int width, int height) {
    Image image(width, height, kUndefined);
    for (const PictureCell& c : cells)
        for (int y = c.to.top; y < c.to.bottom; ++y)
            for (int x = c.to.left; x < c.to.right; ++x)
                image.At(x, y) = Tag(s, c.from.left + (2 * (x - c.to.left) + 1) * c.from.Width() / (2 * c.to.Width()),
                                     c.from.top + (2 * (y - c.to.top) + 1) * c.from.Height() / (2 * c.to.Height()));
    return image;
}

// Whether a scaled frame's pixel shows, within a pixel, the 96-DPI picture pixel the 96-DPI frame shows. Where the
// frame repeats a piece (middle tile and bottom edge along x, side tiles along y) only the other axis counts.
bool Near(int scaled, int at96) {
    if (scaled < 0 || at96 < 0 || scaled / 1000000 != at96 / 1000000) return false;
    const int x = at96 % 1000000 / 1000;
    const bool border = at96 / 1000000 == static_cast<int>(Surface::BorderPicture);
    const bool alongX = border ? x >= 30 && x < 40 : x % 400 > 90 && x % 400 < 140;
    const bool alongY = border && (x < 10 || (x >= 40 && x < 50));
    return (alongX || std::abs(scaled % 1000000 / 1000 - x) <= 1) && (alongY || std::abs(scaled % 1000 - at96 % 1000) <= 1);
}

TEST(CaptionLayout, AScaledFrameShowsTheScaledSkinWithoutSeams) {
    // Every pixel of the frame at the DPI shows what the 96-DPI frame shows within a pixel of the same place: no piece
    // is shifted or cut short, and no pixel that no piece made shows.
    for (const bool active : {true, false}) {
        const FramePlan plan96 = PlanFrame(kMain, 0, 0, kWidth96, kHeight96, active, false, {true, true, true});
        Painter at96(plan96, kWidth96, kHeight96);
        at96.Run(plan96.beforeText);
        at96.Run(plan96.afterText);
        for (const int dpi : kScaledDpis) {
            const SkinMetrics m = ScaleSkin(kMain, dpi);
            const int w = ScaleToDpi(kWidth96, dpi), h = ScaleToDpi(kHeight96, dpi);
            const FramePlan plan = PlanFrame(m, 0, 0, w, h, active, false, {true, true, true});
            Painter painter(
                plan, w, h,
                ScaledPicture(Surface::CaptionPicture, CaptionPictureCells(kMain, m), m.captionWidth, m.captionHeight),
                ScaledPicture(Surface::BorderPicture, BorderPictureCells(kMain, m), m.borderWidth, m.borderHeight));
            painter.Run(plan.beforeText);
            painter.Run(plan.afterText);
            int wrong = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int shown = painter.window.At(x, y);
                    const int x96 = (2 * x + 1) * kBaseDpi / (2 * dpi), y96 = (2 * y + 1) * kBaseDpi / (2 * dpi);
                    bool found = shown == at96.window.At(x96, y96);  // the client area, untouched at both
                    for (int ny = std::max(y96 - 1, 0); ny <= std::min(y96 + 1, kHeight96 - 1); ++ny)
                        for (int nx = std::max(x96 - 1, 0); nx <= std::min(x96 + 1, kWidth96 - 1); ++nx)
                            found = found || Near(shown, at96.window.At(nx, ny));
                    if (!found && ++wrong <= 3)
                        ADD_FAILURE() << dpi << " DPI, active " << active << ": (" << x << ", " << y << ") shows "
                                      << shown << ", the 96-DPI frame " << at96.window.At(x96, y96);
                }
            EXPECT_EQ(wrong, 0) << dpi << " DPI";
        }
    }
}

}  // namespace
