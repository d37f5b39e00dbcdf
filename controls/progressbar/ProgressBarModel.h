#pragma once
// The progress bar's properties with their range rules, and its persisted property set. Every change stores the
// value and then tells its site the property's name; the window side sends the container's change notification
// and redraws from there. What each property is persisted as, starts from and tells a screen
// reader stands in one table (ProgressBarModel.cpp).

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "controls/host/HostTypes.h"
#include "controls/host/PropertyBag.h"
#include "controls/host/PropertySite.h"

// As constructed, before a first placement or a persisted set gives the values.
struct ProgressBarProperties {
    std::int32_t Value = 0;
    std::int32_t Max = 0;
    std::int32_t Min = 0;
    std::int32_t RoundedValue = 0;
    bool Enabled = false;
    std::int32_t Theme = 0;
    std::int32_t TextStyle = 0;
    std::int32_t Orientations = 0;
    std::int32_t TextAlignment = 0;
    std::wstring Text;
    OleColor TextEffectColor = 0;
    std::int32_t TextEffect = 0;
    OleColor TextForeColor = 0;
    FontDesc TextFont = DefaultControlFont();
    OleColor PBSCustomeColor1 = 0;
    OleColor PBSCustomeColor2 = 0;
};

class ProgressBarModel {
public:
    // Without a site no one hears of the changes (drawing and tools that only read the bar).
    ProgressBarModel() = default;
    explicit ProgressBarModel(PropertySite& site) : site_(&site) {}

    [[nodiscard]] const ProgressBarProperties& Props() const noexcept { return props_; }

    // Stores one property and notifies its name, even when the value did not change. Max, Min and Value keep
    // their range first: Max at least 1 and above Min, Min from 0 to below Max, Value inside them; a moved bound
    // pulls Value along, notified before the bound.
    template <typename T>
    void Set(T ProgressBarProperties::*member, std::type_identity_t<T> value);

    // The bar's position, as its owner moves it.
    [[nodiscard]] std::int32_t Value() const noexcept { return props_.Value; }
    // The one shorthand, for the owner that moves the bar (the main window, the tools).
    void SetValue(std::int32_t value) { Set(&ProgressBarProperties::Value, value); }

    // A newly placed instance.
    void InitProperties(const FontDesc& containerFont);
    // Restores a persisted set: missing entries take their reading defaults, unreadable ones are skipped.
    void ReadProperties(const PropertyBag& bag, std::wstring_view displayName, const FontDesc& containerFont);
    void WriteProperties(PropertyBag& bag, const FontDesc& containerFont) const;

    // What a reader must be told when the property of that name changed.
    [[nodiscard]] static unsigned ReaderChangesFor(std::wstring_view property) noexcept;

private:
    void Changed(std::wstring_view name) const {
        if (site_) site_->PropertyChanged(name);
    }

    PropertySite* site_ = nullptr;
    ProgressBarProperties props_;
};
