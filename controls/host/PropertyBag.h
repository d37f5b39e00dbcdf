#pragma once
// A persisted property set of one control instance: named entries in the order they were written, each value
// kept in the text form of the layout file (see LayoutSet.h). Reads take a default for a missing entry; writes
// with a default leave the entry out when the value equals it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "HostTypes.h"

class PropertyBag {
public:
    struct Entry {
        std::wstring name;
        std::wstring value;  // text form, e.g. 42, True, "text", 0x00C8C8C8, "宋体",9,400,0,0,0,134
    };

    // A missing entry reads as the default; an entry that does not parse as the type reads as nothing, so the
    // caller leaves its property as it was.
    [[nodiscard]] std::optional<std::int32_t> ReadInt(std::wstring_view name, std::int32_t def) const;
    [[nodiscard]] std::optional<bool> ReadBool(std::wstring_view name, bool def) const;
    [[nodiscard]] std::optional<std::wstring> ReadText(std::wstring_view name, std::wstring_view def) const;
    [[nodiscard]] std::optional<OleColor> ReadColor(std::wstring_view name, OleColor def) const;
    [[nodiscard]] std::optional<FontDesc> ReadFont(std::wstring_view name, const FontDesc& def) const;

    // With a default: written only when the value differs from it. Without: always written.
    void WriteInt(std::wstring_view name, std::int32_t value, std::int32_t def);
    void WriteInt(std::wstring_view name, std::int32_t value);
    void WriteBool(std::wstring_view name, bool value, bool def);
    void WriteBool(std::wstring_view name, bool value);
    void WriteText(std::wstring_view name, std::wstring_view value, std::wstring_view def);
    void WriteText(std::wstring_view name, std::wstring_view value);
    void WriteColor(std::wstring_view name, OleColor value, OleColor def);
    void WriteColor(std::wstring_view name, OleColor value);
    void WriteFont(std::wstring_view name, const FontDesc& value, const FontDesc& def);
    void WriteFont(std::wstring_view name, const FontDesc& value);

    // Raw access for values of other kinds (a picture reference, say). An entry that could not be read back from
    // the layout text (empty name, a line break, an "=" in the name) is not written.
    void WriteRaw(std::wstring_view name, std::wstring_view text);
    [[nodiscard]] const std::wstring* Raw(std::wstring_view name) const;

    [[nodiscard]] bool Has(std::wstring_view name) const { return Raw(name) != nullptr; }
    [[nodiscard]] const std::vector<Entry>& Entries() const noexcept { return entries_; }
    [[nodiscard]] bool Empty() const noexcept { return entries_.empty(); }
    void Clear() noexcept { entries_.clear(); }

    // The text forms, shared with the layout parser.
    static std::wstring FormatInt(std::int32_t value);
    static std::wstring FormatBool(bool value);
    static std::wstring FormatText(std::wstring_view value);
    static std::wstring FormatColor(OleColor value);
    static std::wstring FormatFont(const FontDesc& value);
    static std::optional<std::int32_t> ParseInt(std::wstring_view text);
    static std::optional<bool> ParseBool(std::wstring_view text);
    static std::optional<std::wstring> ParseText(std::wstring_view text);
    static std::optional<OleColor> ParseColor(std::wstring_view text);
    static std::optional<FontDesc> ParseFont(std::wstring_view text);

private:
    void Remove(std::wstring_view name);
    std::vector<Entry> entries_;
};
