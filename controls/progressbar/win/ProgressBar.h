#pragma once
// Our own progress bar: a rounded bar of two gradient halves in one of ten colour themes with an optional
// caption. Hosted like any of our controls; every property change redraws the whole bar on the surface and
// shows it with one BitBlt. The window text holds the caption drawn, so automation can read it.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "controls/host/win/HostedControl.h"
#include "controls/progressbar/ProgressBarDrawing.h"
#include "controls/progressbar/ProgressBarModel.h"
#include "controls/host/PropertySite.h"
#include "controls/host/ShapeCache.h"

class ProgressBar : public HostedControl, private PropertySite {
public:
    static constexpr const wchar_t* kClassName = L"VerdalyProgressBar";

    // Creates a bar window that owns its control; reads args.persisted when given, else a new instance.
    static HWND Create(const HostedControlArgs& args);
    // The bar of a window made by Create, or null.
    static ProgressBar* FromHwnd(HWND hwnd) noexcept;

    ProgressBarModel& Model() noexcept { return model_; }
    [[nodiscard]] const ProgressBarModel& Model() const noexcept { return model_; }

    void WriteProperties(PropertyBag& bag) const override;
    void ReadProperties(const PropertyBag& bag) override;

    // Fills the rectangle with corners (lLeft, lTop) and (lWidth, lHeight) -- corner coordinates, not
    // extents -- from StartColor to EndColor; Direction 0 left to right, 1 top to bottom, anything else nothing.
    static void GradientTwoColor(HDC objectHdc, int direction, ColorRef startColor, ColorRef endColor, int lLeft,
                                 int lTop, int lWidth, int lHeight) noexcept;
    // A width × height rectangle interpolated between its four corner colours, one device copy per row.
    static void DrawGradientFourColor(HDC objectHdc, int lLeft, int lTop, int lWidth, int lHeight,
                                      ColorRef topLeftColor, ColorRef topRightColor, ColorRef bottomLeftColor,
                                      ColorRef bottomRightColor);

protected:
    void InitProperties() override;
    void OnResize() override;
    void OnDpiChanged() noexcept override { Redraw(); }
    [[nodiscard]] std::optional<reader::Description> Describe(const reader::WindowFacts& facts) const override;
    [[nodiscard]] unsigned ReaderChangesFor(std::wstring_view property) const noexcept override;

private:
    ProgressBar() : model_(static_cast<PropertySite&>(*this)) {}
    // PropertySite: the model tells of every change here.
    void PropertyChanged(std::wstring_view name) override;
    void Redraw() noexcept;
    void ApplyShape(int width, int height, int rounded) noexcept;
    void DrawCaption(const std::wstring& text) noexcept;
    void ShowCaptionAsText(const std::wstring& text) noexcept;

    ProgressBarModel model_;
    progressbar::ThemeTable table_{};  // kept between redraws: an unknown theme leaves it as it was
    bool tableGray_ = false;           // the kept table has been greyed since it was last filled
    ShapeCache shape_;                 // the window's rounded shape, set again only when it changes
    // The caption last given to the window; nothing until the first redraw replaces the creation text.
    std::optional<std::wstring> windowText_;
};
