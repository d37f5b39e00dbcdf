#include "ProgressBarModel.h"

#include <optional>
#include <tuple>
#include <utility>

#include "controls/host/PropertyTable.h"
#include "controls/host/ReaderDescription.h"

namespace {

using P = ProgressBarProperties;

// A default of nothing is the container's: its font, or for the text the name the bar is read under (none when a
// set is written, so an empty text is left out and reads back as that name).
struct Container {
    const FontDesc& font;
    std::wstring_view name;
};
constexpr std::nullopt_t kContainer = std::nullopt;

template <typename T>
struct Row {
    const wchar_t* name;  // persisted and notified
    T P::*member;
    std::optional<T> initial;  // a new instance's value
    std::optional<T> saved;    // the set's default: read for a missing entry, not written when equal
    unsigned reader;           // reader::Change
    int init;                  // place in a new instance's order; -1: kept as constructed
    int read;                  // place in the order the set is read; rows stand in the order it is written
};

template <typename T>
Row<T> Prop(const wchar_t* name, T P::*member, std::type_identity_t<std::optional<T>> initial,
            std::type_identity_t<std::optional<T>> saved, unsigned reader, int init, int read) {
    return {name, member, std::move(initial), std::move(saved), reader, init, read};
}

// One row a property, in the order the set is written: name, member, a new instance's value, the set's default,
// what a reader is told, its place in a new instance's order and in the order the set is read. Max, Min, Value are
// read in this order, so the range rules see the saved range before the saved position.
// clang-format off
const auto& Table() {
    using namespace reader;
    static const auto table = std::make_tuple(
        Prop(L"Orientations",     &P::Orientations,     1,                   1,          kNoChange,    12, 7),
        Prop(L"Max",              &P::Max,              100,                 100,        kValueChange, 0,  0),
        Prop(L"Min",              &P::Min,              0,                   0,          kNoChange,    1,  1),
        Prop(L"Value",            &P::Value,            50,                  50,         kValueChange, 2,  2),
        Prop(L"RoundedValue",     &P::RoundedValue,     5,                   5,          kNoChange,    3,  3),
        Prop(L"Enabled",          &P::Enabled,          true,                true,       kStateChange, 4,  4),
        Prop(L"Theme",            &P::Theme,            1,                   1,          kNoChange,    5,  5),
        Prop(L"TextStyle",        &P::TextStyle,        3,                   1,          kNameChange,  11, 6),
        Prop(L"TextFont",         &P::TextFont,         kContainer,          kContainer, kNoChange,    13, 12),
        Prop(L"TextForeColor",    &P::TextForeColor,    0,                   0,          kNoChange,    6,  13),
        Prop(L"TextAlignment",    &P::TextAlignment,    5,                   5,          kNoChange,    8,  11),
        Prop(L"Text",             &P::Text,             L"Q7MX ProgressBar", kContainer, kNameChange,  7,  8),
        Prop(L"TextEffectColor",  &P::TextEffectColor,  0xFFFFFF,            0xC8C8C8,   kNoChange,    10, 9),
        Prop(L"TextEffect",       &P::TextEffect,       5,                   1,          kNameChange,  9,  10),
        Prop(L"PBSCustomeColor2", &P::PBSCustomeColor2, {},                  0,          kNoChange,    -1, 14),
        Prop(L"PBSCustomeColor1", &P::PBSCustomeColor1, {},                  0,          kNoChange,    -1, 15));
    return table;
}
// clang-format on

template <typename T>
T Resolve(const std::optional<T>& value, const Container& container) {
    if (value) return *value;
    if constexpr (std::is_same_v<T, FontDesc>)
        return container.font;
    else if constexpr (std::is_same_v<T, std::wstring>)
        return std::wstring(container.name);
    else
        return T{};
}

std::int32_t InRange(const P& p, std::int32_t P::*member, std::int32_t value) {
    if (member == &P::Value) {
        if (value > p.Max) value = p.Max;
        if (value < p.Min) value = p.Min;
    } else if (member == &P::Max) {
        if (value < 1) value = 1;
        // Min is never negative and stays below a Max of at least 1, so Min + 1 cannot overflow.
        if (p.Min >= value) value = p.Min + 1;
    } else if (member == &P::Min) {
        if (value >= p.Max) value = p.Max - 1;
        if (value < 0) value = 0;
    }
    return value;
}

}  // namespace

template <typename T>
void ProgressBarModel::Set(T P::*member, std::type_identity_t<T> value) {
    if constexpr (std::is_same_v<T, std::int32_t>) value = InRange(props_, member, value);
    props_.*member = std::move(value);
    if constexpr (std::is_same_v<T, std::int32_t>)
        if (const std::int32_t v = InRange(props_, &P::Value, props_.Value); v != props_.Value) Set(&P::Value, v);
    proptable::ForMember(Table(), member, [this](const auto& row) { Changed(row.name); });
}

template void ProgressBarModel::Set<std::int32_t>(std::int32_t P::*, std::int32_t);
template void ProgressBarModel::Set<bool>(bool P::*, bool);
template void ProgressBarModel::Set<std::wstring>(std::wstring P::*, std::wstring);
template void ProgressBarModel::Set<OleColor>(OleColor P::*, OleColor);
template void ProgressBarModel::Set<FontDesc>(FontDesc P::*, FontDesc);

void ProgressBarModel::InitProperties(const FontDesc& containerFont) {
    const Container container{containerFont, {}};
    proptable::InOrder(
        Table(), [](const auto& row) { return row.init; },
        [&](const auto& row) { Set(row.member, Resolve(row.initial, container)); });
}

void ProgressBarModel::ReadProperties(const PropertyBag& bag, std::wstring_view displayName,
                                      const FontDesc& containerFont) {
    const Container container{containerFont, displayName};
    proptable::InOrder(
        Table(), [](const auto& row) { return row.read; },
        [&](const auto& row) {
            if (auto v = proptable::Read(bag, row.name, Resolve(row.saved, container))) Set(row.member, std::move(*v));
        });
}

void ProgressBarModel::WriteProperties(PropertyBag& bag, const FontDesc& containerFont) const {
    // Written whole: an entry left from an earlier set would read back as a value the bar no longer has.
    bag.Clear();
    const Container container{containerFont, {}};
    proptable::ForEach(Table(), [&](const auto& row) {
        proptable::Write(bag, row.name, props_.*row.member, std::optional(Resolve(row.saved, container)));
    });
}

unsigned ProgressBarModel::ReaderChangesFor(std::wstring_view property) noexcept {
    return proptable::ReaderChanges(Table(), property);
}
