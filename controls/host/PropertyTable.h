#pragma once
// A control's properties as data: a tuple of rows, one per property, each naming the property's member together
// with what goes with it (persisted name, defaults, what a change redoes, its places in the orders the persisted
// set is read and written in). The rows and their columns are each control's own; these helpers walk them and
// read or write one entry by the member's type.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "PropertyBag.h"
#include "ReaderDescription.h"

namespace proptable {

// fn(row) for every row, in table order.
template <typename Table, typename Fn>
void ForEach(const Table& table, Fn&& fn) {
    std::apply([&fn](const auto&... row) { (fn(row), ...); }, table);
}

// fn(row) for every row in the order position(row) gives, 0 first; a negative position leaves the row out.
template <typename Table, typename Position, typename Fn>
void InOrder(const Table& table, Position position, Fn&& fn) {
    for (int i = 0; i < static_cast<int>(std::tuple_size_v<Table>); ++i)
        ForEach(table, [&](const auto& row) {
            if (position(row) == i) fn(row);
        });
}

// fn(row) for the row of that member.
template <typename Table, typename Member, typename Fn>
void ForMember(const Table& table, Member member, Fn&& fn) {
    ForEach(table, [&](const auto& row) {
        if constexpr (std::is_same_v<decltype(row.member), Member>)
            if (row.member == member) fn(row);
    });
}

// What a reader is told when the property `name` changes (its row's `reader` column); nothing for another name.
template <typename Table>
unsigned ReaderChanges(const Table& table, std::wstring_view name) {
    unsigned changes = reader::kNoChange;
    ForEach(table, [&](const auto& row) {
        if (name == row.name) changes = row.reader;
    });
    return changes;
}

// One entry by the type of its property: a missing entry reads as the default, one that does not parse as nothing.
inline std::optional<std::int32_t> Read(const PropertyBag& bag, std::wstring_view name, std::int32_t def) {
    return bag.ReadInt(name, def);
}
inline std::optional<bool> Read(const PropertyBag& bag, std::wstring_view name, bool def) {
    return bag.ReadBool(name, def);
}
inline std::optional<std::wstring> Read(const PropertyBag& bag, std::wstring_view name, const std::wstring& def) {
    return bag.ReadText(name, def);
}
inline std::optional<OleColor> Read(const PropertyBag& bag, std::wstring_view name, OleColor def) {
    return bag.ReadColor(name, def);
}
inline std::optional<FontDesc> Read(const PropertyBag& bag, std::wstring_view name, const FontDesc& def) {
    return bag.ReadFont(name, def);
}

// Written only when it differs from the default; without one, always.
template <typename T>
void Write(PropertyBag& bag, std::wstring_view name, const T& value, const std::optional<T>& def) {
    if constexpr (std::is_same_v<T, std::int32_t>)
        def ? bag.WriteInt(name, value, *def) : bag.WriteInt(name, value);
    else if constexpr (std::is_same_v<T, bool>)
        def ? bag.WriteBool(name, value, *def) : bag.WriteBool(name, value);
    else if constexpr (std::is_same_v<T, std::wstring>)
        def ? bag.WriteText(name, value, *def) : bag.WriteText(name, value);
    else if constexpr (std::is_same_v<T, OleColor>)
        def ? bag.WriteColor(name, value, *def) : bag.WriteColor(name, value);
    else
        def ? bag.WriteFont(name, value, *def) : bag.WriteFont(name, value);
}

}  // namespace proptable
