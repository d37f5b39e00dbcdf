// The button's properties as one table: for each its name in change notices and in the persisted set, its
// member, its default in the set, what a change redoes and what a screen reader is told of it, and its place in
// the order the set is read. The setter, the first placement and the persisted set walk the table.
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "ButtonCore.h"
#include "controls/host/PropertyTable.h"
#include "controls/host/ReaderDescription.h"

namespace button {

namespace {

using P = ButtonProperties;

// What a change redoes after its notice (in the order of ButtonCore::Changed), and how the set treats it.
enum Flags : unsigned {
    kRelayout = 1u << 0,  // lays the button out again
    kRepaint = 1u << 1,
    kEnable = 1u << 2,  // the state goes back to normal first, and the window follows last
    // The surface holds the font: it takes the new one, and a set without one keeps the surface's.
    kFont = 1u << 3,
    kPointer = 1u << 4,  // the surface takes the mouse pointer
    // The extender owns the container's tooltip and holds a copy of the text: it takes the new text before the
    // notice (building the tooltip takes the extender's text, which would lose it otherwise) and the stored one
    // when a set is read; a set leaves the text out when it equals the extender's.
    kToolTip = 1u << 5,
    kAlways = 1u << 6,  // written even when it equals its default
    kNew = 1u << 7,     // a new button starts from the set's default, not as constructed
};

template <typename T>
struct Row {
    const wchar_t* name;   // in change notices
    const wchar_t* saved;  // in the persisted set; nullptr: the same
    T P::*member;
    T def;  // in the set, for a missing entry and an entry left out; a system colour stands for its plain colour
    unsigned flags;
    unsigned reader;  // reader::Change
    int read;         // place in the order the set is read; rows stand in the order it is written
};

template <typename T>
Row<T> Prop(const wchar_t* name, const wchar_t* saved, T P::*member, std::type_identity_t<T> def, unsigned flags,
            unsigned reader, int read) {
    return {name, saved, member, std::move(def), flags, reader, read};
}

// One row a property, in the order the set is written: name in notices, name in the set ({}: the same),
// member, the set's default, flags, what a reader is told, place in the order the set is read.
// clang-format off
const auto& Table() {
    using namespace reader;
    constexpr auto Sys = SysColorRef;
    static const auto table = std::make_tuple(
        Prop(L"Icon", {}, &P::Icon, nullptr, kRelayout | kAlways, kNoChange, 0),
        Prop(L"Style", {}, &P::Style, StyleDoubleFrame, kRelayout, kNoChange, 1),
        Prop(L"Caption", {}, &P::Caption, L"", kRelayout, kNameChange, 2),
        Prop(L"IconSize", {}, &P::IconSize, 16, kRelayout, kNoChange, 3),
        Prop(L"IconAlign", {}, &P::IconAlign, IconLeft, kRelayout, kNoChange, 5),
        Prop(L"CaptionAlign", {}, &P::CaptionAlign, CaptionCenter, kRelayout, kNoChange, 4),
        Prop(L"NonThemeStyle", L"iNonThemeStyle", &P::NonThemeStyle, StyleSkinned, kRelayout, kNoChange, 6),
        Prop(L"Enabled", {}, &P::Enabled, true, kEnable | kRepaint, kStateChange, 7),
        Prop(L"ShowFocus", {}, &P::ShowFocus, false, kRepaint, kNoChange, 8),
        Prop(L"UseCustomColors", L"USeCustomColors", &P::UseCustomColors, false, kRepaint, kNoChange, 9),
        Prop(L"BackColor", {}, &P::BackColor, Sys(kSysButtonFace), kRepaint | kNew, kNoChange, 10),
        Prop(L"HighlightColor", {}, &P::HighlightColor, Sys(kSysHighlight), kRepaint | kNew, kNoChange, 11),
        Prop(L"FontColor", {}, &P::FontColor, Sys(kSysButtonText), kRepaint | kNew, kNoChange, 12),
        Prop(L"FontHighlightColor", {}, &P::FontHighlightColor, Sys(kSysButtonText), kRepaint | kNew, kNoChange, 13),
        Prop(L"ToolTipText", {}, &P::ToolTipText, L"", kToolTip | kRepaint, kNoChange, 14),
        Prop(L"TooltipTitle", L"Tooltiptitle", &P::ToolTipTitle, L"", kRepaint | kAlways, kNoChange, 15),
        Prop(L"TooltipIcon", L"ToolTipIcon", &P::ToolTipIcon, 0, kRepaint | kAlways, kNoChange, 16),
        Prop(L"ToolTipType", {}, &P::ToolTipType, 1, kRepaint | kAlways, kNoChange, 17),
        // The two tooltip colours default to each other's system colour; the set has always been written so.
        Prop(L"ToolTipBackColor", L"ttBackColor", &P::ToolTipBackColor, Sys(kSysInfoText), kRepaint, kNoChange, 18),
        Prop(L"ToolTipForeColor", L"ttForeColor", &P::ToolTipForeColor, Sys(kSysInfoBackground), kRepaint, kNoChange,
             19),
        Prop(L"Font", {}, &P::Font, {}, kFont | kRepaint | kAlways, kNoChange, 20),
        Prop(L"ButtonType", {}, &P::ButtonType, ButtonPush, kRepaint, kStateChange, 21),
        Prop(L"Value", {}, &P::Value, false, kRepaint, kStateChange, 22),
        Prop(L"MaskColor", {}, &P::MaskColor, ToOleColor(Rgb(192, 192, 192)), kRepaint, kNoChange, 24),
        Prop(L"UseMaskColor", {}, &P::UseMaskColor, false, kRepaint, kNoChange, 23),
        Prop(L"MousePointer", {}, &P::MousePointer, 0, kPointer, kNoChange, 25));
    return table;
}
// clang-format on

// Entry text of an icon that is not there; pictures are not kept in layout text.
constexpr const wchar_t* kNoPicture = L"Nothing";

template <typename T>
const wchar_t* Persisted(const Row<T>& row) {
    return row.saved ? row.saved : row.name;
}

// The default as the set reads and writes it: the site's plain colour for a system colour, the surface's font.
template <typename T>
T Default(const Row<T>& row, ButtonSite& site) {
    if constexpr (std::is_same_v<T, OleColor>)
        return ToOleColor(TranslateColor(row.def, site.Colors()));
    else if constexpr (std::is_same_v<T, FontDesc>)
        return row.flags & kFont ? site.SurfaceFont() : row.def;
    else
        return row.def;
}

template <typename T>
std::optional<T> ReadEntry(const PropertyBag& bag, const Row<T>& row, ButtonSite& site) {
    if constexpr (std::is_same_v<T, PictureRefPtr>) {
        const std::wstring* text = bag.Raw(Persisted(row));
        return text && *text != kNoPicture ? site.PictureFromText(*text) : nullptr;
    } else if constexpr (std::is_same_v<T, std::int16_t>) {
        const auto value = bag.ReadInt(Persisted(row), row.def);
        return value ? std::optional<T>(static_cast<T>(*value)) : std::nullopt;
    } else {
        return proptable::Read(bag, Persisted(row), Default(row, site));
    }
}

template <typename T>
void WriteEntry(PropertyBag& bag, const Row<T>& row, const T& value, ButtonSite& site) {
    if constexpr (std::is_same_v<T, PictureRefPtr>) {
        const std::wstring text = value ? value->PersistedText() : std::wstring();
        bag.WriteRaw(Persisted(row), text.empty() ? kNoPicture : text);
    } else if constexpr (std::is_same_v<T, std::int16_t>) {
        bag.WriteInt(Persisted(row), value, row.def);
    } else {
        std::optional<T> def;
        if (!(row.flags & kAlways)) def = Default(row, site);
        if constexpr (std::is_same_v<T, std::wstring>)
            if (row.flags & kToolTip) def = site.ExtenderToolTipText();
        proptable::Write(bag, Persisted(row), value, def);
    }
}

}  // namespace

template <typename T>
void ButtonCore::Set(T P::*member, std::type_identity_t<T> value) {
    props_.*member = std::move(value);
    proptable::ForMember(Table(), member, [this](const auto& row) { Changed(row.name, row.flags); });
}

template void ButtonCore::Set<std::int32_t>(std::int32_t P::*, std::int32_t);
template void ButtonCore::Set<std::int16_t>(std::int16_t P::*, std::int16_t);
template void ButtonCore::Set<bool>(bool P::*, bool);
template void ButtonCore::Set<OleColor>(OleColor P::*, OleColor);
template void ButtonCore::Set<std::wstring>(std::wstring P::*, std::wstring);
template void ButtonCore::Set<FontDesc>(FontDesc P::*, FontDesc);
template void ButtonCore::Set<PictureRefPtr>(PictureRefPtr P::*, PictureRefPtr);

void ButtonCore::Changed(std::wstring_view name, unsigned redo) {
    if (redo & kToolTip) site_.SetExtenderToolTipText(props_.ToolTipText);
    site_.PropertyChanged(name);
    if (redo & kEnable) fields_.ButtonState = kStateNormal;
    if (redo & kFont) site_.FontChanged();
    if (redo & kPointer) site_.MousePointerChanged();
    if ((redo & kToolTip) && site_.UserMode()) BuildToolTip();
    if (redo & kRelayout) site_.ReLayout();
    if (redo & kRepaint) site_.Repaint();
    if (redo & kEnable) site_.EnableWindow(props_.Enabled);
}

void ButtonCore::InitProperties() {
    props_ = ButtonProperties{};
    props_.Caption = site_.ExtenderName();
    proptable::ForEach(Table(), [this](const auto& row) {
        if (row.flags & kNew) props_.*row.member = Default(row, site_);
    });
    fields_.CaptionFormat = ButtonFields{}.CaptionFormat;
}

void ButtonCore::WriteProperties(PropertyBag& bag) const {
    // The set is written whole: an entry left from an earlier set would read back as a value the button lost.
    bag.Clear();
    proptable::ForEach(Table(), [&](const auto& row) { WriteEntry(bag, row, props_.*row.member, site_); });
}

void ButtonCore::ReadProperties(const PropertyBag& bag) {
    fields_.ButtonState = kStateNormal;
    proptable::InOrder(
        Table(), [](const auto& row) { return row.read; },
        [&](const auto& row) {
            // The stored text goes to the extender; without one it keeps the button's own.
            if constexpr (std::is_same_v<decltype(row.member), std::wstring P::*>)
                if (row.flags & kToolTip)
                    if (auto text = bag.ReadText(Persisted(row), props_.*row.member))
                        site_.SetExtenderToolTipText(*text);
            // A value that does not parse leaves the property as it was.
            if (auto value = ReadEntry(bag, row, site_)) props_.*row.member = std::move(*value);
        });

    site_.FontChanged();
    site_.MousePointerChanged();
    // A stored "Enabled" false must also keep input away from the window, not only change the look.
    site_.EnableWindow(props_.Enabled);

    if (site_.UserMode()) {
        fields_.CanTrackLeave = site_.LeaveTrackingAvailable();
        if (fields_.CanTrackLeave) site_.InstallHook();
    }
}

unsigned ButtonCore::ReaderChangesFor(std::wstring_view property) noexcept {
    return proptable::ReaderChanges(Table(), property);
}

}  // namespace button
