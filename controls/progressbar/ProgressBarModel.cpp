#include "ProgressBarModel.h"

namespace {

constexpr OleColor kPersistedEffectColor = 0xC8C8C8;

}  // namespace

void ProgressBarModel::SetValue(std::int32_t value) {
    if (value > max_) value = max_;
    if (value < min_) value = min_;
    value_ = value;
    Changed(L"Value");
}

void ProgressBarModel::SetMax(std::int32_t value) {
    if (value < 1) value = 1;
    // Min is never negative and stays below a Max of at least 1, so Min + 1 cannot overflow.
    if (min_ >= value) value = min_ + 1;
    max_ = value;
    if (value_ > max_) SetValue(max_);
    Changed(L"Max");
}

void ProgressBarModel::SetMin(std::int32_t value) {
    if (value >= max_) value = max_ - 1;
    if (value < 0) value = 0;
    min_ = value;
    if (value_ < min_) SetValue(min_);
    Changed(L"Min");
}

void ProgressBarModel::SetRoundedValue(std::int32_t value) {
    roundedValue_ = value;
    Changed(L"RoundedValue");
}

void ProgressBarModel::SetEnabled(bool value) {
    enabled_ = value;
    Changed(L"Enabled");
}

void ProgressBarModel::SetTheme(std::int32_t value) {
    theme_ = value;
    Changed(L"Theme");
}

void ProgressBarModel::SetTextStyle(std::int32_t value) {
    textStyle_ = value;
    Changed(L"TextStyle");
}

void ProgressBarModel::SetOrientations(std::int32_t value) {
    orientations_ = value;
    Changed(L"Orientations");
}

void ProgressBarModel::SetTextAlignment(std::int32_t value) {
    textAlignment_ = value;
    Changed(L"TextAlignment");
}

void ProgressBarModel::SetText(std::wstring_view value) {
    text_ = value;
    Changed(L"Text");
}

void ProgressBarModel::SetTextEffectColor(OleColor value) {
    textEffectColor_ = value;
    Changed(L"TextEffectColor");
}

void ProgressBarModel::SetTextEffect(std::int32_t value) {
    textEffect_ = value;
    Changed(L"TextEffect");
}

void ProgressBarModel::SetTextForeColor(OleColor value) {
    textForeColor_ = value;
    Changed(L"TextForeColor");
}

void ProgressBarModel::SetTextFont(const FontDesc& value) {
    textFont_ = value;
    Changed(L"TextFont");
}

void ProgressBarModel::SetPBSCustomeColor1(OleColor value) {
    customColor1_ = value;
    Changed(L"PBSCustomeColor1");
}

void ProgressBarModel::SetPBSCustomeColor2(OleColor value) {
    customColor2_ = value;
    Changed(L"PBSCustomeColor2");
}

void ProgressBarModel::InitNew(const FontDesc& containerFont) {
    SetMax(100);
    SetMin(0);
    SetValue(50);
    SetRoundedValue(5);
    SetEnabled(true);
    SetTheme(1);
    SetTextForeColor(0);
    SetText(L"Q7MX ProgressBar");
    SetTextAlignment(5);
    SetTextEffect(5);
    SetTextEffectColor(0xFFFFFF);
    SetTextStyle(3);
    SetOrientations(1);
    SetTextFont(containerFont);
}

void ProgressBarModel::Read(const PropertyBag& bag, std::wstring_view displayName, const FontDesc& containerFont) {
    // Max, Min, Value in this order, so the range rules see the saved range before the saved position.
    if (auto v = bag.ReadInt(L"Max", 100)) SetMax(*v);
    if (auto v = bag.ReadInt(L"Min", 0)) SetMin(*v);
    if (auto v = bag.ReadInt(L"Value", 50)) SetValue(*v);
    if (auto v = bag.ReadInt(L"RoundedValue", 5)) SetRoundedValue(*v);
    if (auto v = bag.ReadBool(L"Enabled", true)) SetEnabled(*v);
    if (auto v = bag.ReadInt(L"Theme", 1)) SetTheme(*v);
    if (auto v = bag.ReadInt(L"TextStyle", 1)) SetTextStyle(*v);
    if (auto v = bag.ReadInt(L"Orientations", 1)) SetOrientations(*v);
    if (auto v = bag.ReadText(L"Text", displayName)) SetText(*v);
    if (auto v = bag.ReadColor(L"TextEffectColor", kPersistedEffectColor)) SetTextEffectColor(*v);
    if (auto v = bag.ReadInt(L"TextEffect", 1)) SetTextEffect(*v);
    if (auto v = bag.ReadInt(L"TextAlignment", 5)) SetTextAlignment(*v);
    if (auto v = bag.ReadFont(L"TextFont", containerFont)) SetTextFont(*v);
    if (auto v = bag.ReadColor(L"TextForeColor", 0)) SetTextForeColor(*v);
    if (auto v = bag.ReadColor(L"PBSCustomeColor2", 0)) SetPBSCustomeColor2(*v);
    if (auto v = bag.ReadColor(L"PBSCustomeColor1", 0)) SetPBSCustomeColor1(*v);
}

void ProgressBarModel::Write(PropertyBag& bag, const FontDesc& containerFont) const {
    // Written whole: an entry left from an earlier set would read back as a value the bar no longer has.
    bag.Clear();
    bag.WriteInt(L"Orientations", orientations_, 1);
    bag.WriteInt(L"Max", max_, 100);
    bag.WriteInt(L"Min", min_, 0);
    bag.WriteInt(L"Value", value_, 50);
    bag.WriteInt(L"RoundedValue", roundedValue_, 5);
    bag.WriteBool(L"Enabled", enabled_, true);
    bag.WriteInt(L"Theme", theme_, 1);
    bag.WriteInt(L"TextStyle", textStyle_, 1);
    bag.WriteFont(L"TextFont", textFont_, containerFont);
    bag.WriteColor(L"TextForeColor", textForeColor_, 0);
    bag.WriteInt(L"TextAlignment", textAlignment_, 5);
    bag.WriteText(L"Text", text_, L"");
    bag.WriteColor(L"TextEffectColor", textEffectColor_, kPersistedEffectColor);
    bag.WriteInt(L"TextEffect", textEffect_, 1);
    bag.WriteColor(L"PBSCustomeColor2", customColor2_, 0);
    bag.WriteColor(L"PBSCustomeColor1", customColor1_, 0);
}
