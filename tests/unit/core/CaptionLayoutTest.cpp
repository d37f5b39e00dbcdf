// The frame's geometry: every pixel of a painted frame traced back to the skin picture it came from, the narrow
// window, the caption buttons closing up, and the zones a point of the frame answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "skin/CaptionLayout.h"

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
    EXPECT_EQ(all.buttons[kMaximize], (Rect{469, 5, 489, 25}));
    EXPECT_EQ(all.buttons[kMinimize], (Rect{449, 5, 469, 25}));

    struct Case {
        ButtonSet set;
        int close, maximize, minimize;
    };
    const Case cases[] = {
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
        {0, 0, kHtTopLeft, kHtClient},         {10, 10, kHtTopLeft, kHtClient},    {10, 11, kHtLeft, kHtClient},
        {5, 189, kHtLeft, kHtClient},          {5, 190, kHtBottomLeft, kHtClient}, {290, 5, kHtTopRight, kHtClient},
        {299, 199, kHtBottomRight, kHtClient}, {289, 5, kHtTop, kHtClient},        {150, 10, kHtTop, kHtClient},
        {150, 11, kHtCaption, kHtCaption},     {19, 20, kHtSysMenu, kHtSysMenu},   {20, 20, kHtCaption, kHtCaption},
        {150, 29, kHtCaption, kHtCaption},     {150, 30, kHtClient, kHtClient},    {150, 47, kHtClient, kHtClient},
        {150, 190, kHtBottom, kHtClient},      {-1, 5, kHtClient, kHtClient},      {300, 5, kHtClient, kHtClient},
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

}  // namespace
