// The button's face on screen: painting it whole on the drawing surface, and its size and window shape.
#include "isButton.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "ButtonCanvas.h"
#include "controls/button/ButtonPaint.h"

using namespace button;

namespace {

// The region of a shaped style; a rectangle is the whole window, which needs none.
UniqueRegion RegionFor(const Shape& shape) {
    switch (shape.kind) {
        case Shape::Kind::Polygon: {
            std::vector<POINT> points;
            for (const Point& p : shape.points) points.push_back(POINT{p.x, p.y});
            return UniqueRegion(CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE));
        }
        case Shape::Kind::RoundRect:
            return UniqueRegion(CreateRoundRectRgn(shape.rect.left, shape.rect.top, shape.rect.right, shape.rect.bottom,
                                                   shape.ellipse, shape.ellipse));
        case Shape::Kind::Rectangle: break;
    }
    return UniqueRegion();
}

}  // namespace

bool isButton::Draw() noexcept {
    painting_ = true;
    ButtonCanvas canvas(Hwnd(), Surface(), mask_, core_.Props(), core_.Props().Caption);
    const bool fellBack =
        button::Paint(core_, canvas, PaintInput{Surface().ScaleWidth(), Surface().ScaleHeight(), UserMode()});
    painting_ = false;
    return fellBack;
}

void isButton::AfterFallBack(bool fellBack) {
    // Without a visual style the button goes on in its fall-back style: give it that style's shape and look now.
    if (fellBack && core_.Props().Style != StyleThemed) ReLayout();
}

void isButton::Refresh() noexcept {
    if (!Hwnd() || !Surface().Dc() || painting_) return;
    const bool fellBack = Draw();
    CopyToScreen();
    AfterFallBack(fellBack);
}

void isButton::OnPaintRequest() noexcept {
    // Every paint request repaints, so the face shows the present state even where it changed without one.
    if (!Hwnd() || !Surface().Dc() || painting_) return;
    AfterFallBack(Draw());
}

void isButton::ReLayout() {
    if (!Hwnd()) return;
    RECT window{};
    GetWindowRect(Hwnd(), &window);
    const int minimum = MinimumSidePixels(Dpi());
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    if (width < minimum || height < minimum) {
        // The new size comes back through WM_SIZE, which lays the button out again.
        SetWindowPos(Hwnd(), nullptr, 0, 0, std::max(width, minimum), std::max(height, minimum),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int w = Surface().ScaleWidth();
    const int h = Surface().ScaleHeight();
    core_.Layout(w, h);
    ApplyShape(w, h);
    Refresh();
}

void isButton::ApplyShape(int width, int height) noexcept {
    const Shape shape = ShapeAtDpi(core_.Props().Style, width, height, Dpi());
    // Every style without a shape of its own is the whole window at any size and scale, which needs no region: a
    // new window holds it already, so most buttons never pay for a region (a round trip and a repaint of the
    // parent).
    if (shape.kind == Shape::Kind::Rectangle) {
        shape_.Apply(
            kWholeWindow, 0, 0, 0, [] { return UniqueRegion(); }, [this](UniqueRegion) { return ClearShape(); });
        return;
    }
    shape_.Apply(
        core_.Props().Style, width, height, Dpi(), [&shape] { return RegionFor(shape); },
        [this](UniqueRegion region) { return SetShape(std::move(region)); });
}

void isButton::OnDpiChanged() noexcept {
    // The smallest size, the caption's rectangle and the shape are all scaled: lay out again, which repaints.
    ReLayout();
    if (toolTip_) SetToolTipFont();
}
