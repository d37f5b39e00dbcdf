#pragma once
// The progress bar's properties with their range rules, and its persisted property set. Every setter stores
// its value and then tells the change handler the property's name; the window side sends the container's
// change notification and redraws from there.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controls/host/HostTypes.h"
#include "controls/host/PropertyBag.h"

class ProgressBarModel {
public:
    using ChangeHandler = std::function<void(std::wstring_view propertyName)>;

    void SetChangeHandler(ChangeHandler handler) { onChange_ = std::move(handler); }

    [[nodiscard]] std::int32_t Value() const noexcept { return value_; }
    [[nodiscard]] std::int32_t Max() const noexcept { return max_; }
    [[nodiscard]] std::int32_t Min() const noexcept { return min_; }
    [[nodiscard]] std::int32_t RoundedValue() const noexcept { return roundedValue_; }
    [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
    [[nodiscard]] std::int32_t Theme() const noexcept { return theme_; }
    [[nodiscard]] std::int32_t TextStyle() const noexcept { return textStyle_; }
    [[nodiscard]] std::int32_t Orientations() const noexcept { return orientations_; }
    [[nodiscard]] std::int32_t TextAlignment() const noexcept { return textAlignment_; }
    [[nodiscard]] const std::wstring& Text() const noexcept { return text_; }
    [[nodiscard]] OleColor TextEffectColor() const noexcept { return textEffectColor_; }
    [[nodiscard]] std::int32_t TextEffect() const noexcept { return textEffect_; }
    [[nodiscard]] OleColor TextForeColor() const noexcept { return textForeColor_; }
    [[nodiscard]] const FontDesc& TextFont() const noexcept { return textFont_; }
    [[nodiscard]] OleColor PBSCustomeColor1() const noexcept { return customColor1_; }
    [[nodiscard]] OleColor PBSCustomeColor2() const noexcept { return customColor2_; }

    void SetValue(std::int32_t value);
    void SetMax(std::int32_t value);
    void SetMin(std::int32_t value);
    void SetRoundedValue(std::int32_t value);
    void SetEnabled(bool value);
    void SetTheme(std::int32_t value);
    void SetTextStyle(std::int32_t value);
    void SetOrientations(std::int32_t value);
    void SetTextAlignment(std::int32_t value);
    void SetText(std::wstring_view value);
    void SetTextEffectColor(OleColor value);
    void SetTextEffect(std::int32_t value);
    void SetTextForeColor(OleColor value);
    void SetTextFont(const FontDesc& value);
    void SetPBSCustomeColor1(OleColor value);
    void SetPBSCustomeColor2(OleColor value);

    // A newly placed instance.
    void InitNew(const FontDesc& containerFont);
    // Restores a persisted set: missing entries take their reading defaults, unreadable ones are skipped.
    void Read(const PropertyBag& bag, std::wstring_view displayName, const FontDesc& containerFont);
    void Write(PropertyBag& bag, const FontDesc& containerFont) const;

private:
    void Changed(std::wstring_view name) const {
        if (onChange_) onChange_(name);
    }

    ChangeHandler onChange_;
    std::int32_t value_ = 0;
    std::int32_t max_ = 0;
    std::int32_t min_ = 0;
    std::int32_t roundedValue_ = 0;
    bool enabled_ = false;
    std::int32_t theme_ = 0;
    std::int32_t textStyle_ = 0;
    std::int32_t orientations_ = 0;
    std::int32_t textAlignment_ = 0;
    std::wstring text_;
    OleColor textEffectColor_ = 0;
    std::int32_t textEffect_ = 0;
    OleColor textForeColor_ = 0;
    FontDesc textFont_ = DefaultControlFont();
    OleColor customColor1_ = 0;
    OleColor customColor2_ = 0;
};
