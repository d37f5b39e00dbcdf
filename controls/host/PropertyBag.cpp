#include "PropertyBag.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cwctype>
#include <limits>

namespace {

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    return text;
}

// The digits of a wide text as a narrow one, or nothing if any character is not plain ASCII.
std::optional<std::string> Narrow(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c <= 0 || c > 0x7E) return std::nullopt;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::wstring Widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::optional<long long> ParseInteger(std::wstring_view text) {
    const auto narrow = Narrow(Trim(text));
    if (!narrow || narrow->empty()) return std::nullopt;
    const char* first = narrow->data();
    const char* last = first + narrow->size();
    int base = 10;
    if (narrow->size() > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        first += 2;
        base = 16;
        // from_chars would take a sign here too: "0x-5" is not a number of ours.
        if (!std::isxdigit(static_cast<unsigned char>(*first))) return std::nullopt;
    }
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

// Splits a font value at the commas that are outside its quoted face.
std::vector<std::wstring_view> SplitFields(std::wstring_view text) {
    std::vector<std::wstring_view> fields;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (quoted && c == L'\\') {
            ++i;
        } else if (c == L'"') {
            quoted = !quoted;
        } else if (c == L',' && !quoted) {
            fields.push_back(Trim(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    fields.push_back(Trim(text.substr(start)));
    return fields;
}

}  // namespace

std::wstring PropertyBag::FormatInt(std::int32_t value) {
    return std::to_wstring(value);
}

std::wstring PropertyBag::FormatBool(bool value) {
    return value ? L"True" : L"False";
}

std::wstring PropertyBag::FormatText(std::wstring_view value) {
    std::wstring out = L"\"";
    for (wchar_t c : value) {
        switch (c) {
            case L'"': out += L"\\\""; break;
            case L'\\': out += L"\\\\"; break;
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            case L'\t': out += L"\\t"; break;
            default: out.push_back(c);
        }
    }
    out.push_back(L'"');
    return out;
}

std::wstring PropertyBag::FormatColor(OleColor value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return Widen(buffer);
}

std::wstring PropertyBag::FormatFont(const FontDesc& value) {
    char size[32];
    const auto [end, ec] = std::to_chars(size, size + sizeof size, value.Size);
    const std::string sizeText = ec == std::errc() ? std::string(size, end) : "9";
    return FormatText(value.Name) + L"," + Widen(sizeText) + L"," + std::to_wstring(value.Weight) + L"," +
           (value.Italic ? L"1" : L"0") + L"," + (value.Underline ? L"1" : L"0") + L"," +
           (value.Strikethrough ? L"1" : L"0") + L"," + std::to_wstring(value.Charset);
}

std::optional<std::int32_t> PropertyBag::ParseInt(std::wstring_view text) {
    const auto value = ParseInteger(text);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<bool> PropertyBag::ParseBool(std::wstring_view text) {
    text = Trim(text);
    std::wstring lower;
    for (wchar_t c : text) lower.push_back(static_cast<wchar_t>(std::towlower(c)));
    if (lower == L"true" || lower == L"-1" || lower == L"1") return true;
    if (lower == L"false" || lower == L"0") return false;
    return std::nullopt;
}

std::optional<std::wstring> PropertyBag::ParseText(std::wstring_view text) {
    text = Trim(text);
    if (text.size() < 2 || text.front() != L'"' || text.back() != L'"') return std::nullopt;
    text = text.substr(1, text.size() - 2);
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'"') return std::nullopt;  // an unescaped quote inside: not one text
        if (c != L'\\') {
            out.push_back(c);
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case L'"': out.push_back(L'"'); break;
            case L'\\': out.push_back(L'\\'); break;
            case L'n': out.push_back(L'\n'); break;
            case L'r': out.push_back(L'\r'); break;
            case L't': out.push_back(L'\t'); break;
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<OleColor> PropertyBag::ParseColor(std::wstring_view text) {
    const auto value = ParseInteger(text);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() || *value > 0xFFFFFFFFll) return std::nullopt;
    return static_cast<OleColor>(static_cast<std::uint32_t>(*value));
}

std::optional<FontDesc> PropertyBag::ParseFont(std::wstring_view text) {
    const auto fields = SplitFields(text);
    if (fields.size() != 7) return std::nullopt;
    FontDesc font;
    const auto name = ParseText(fields[0]);
    const auto size = Narrow(fields[1]);
    const auto weight = ParseInt(fields[2]);
    const auto italic = ParseBool(fields[3]);
    const auto underline = ParseBool(fields[4]);
    const auto strike = ParseBool(fields[5]);
    const auto charset = ParseInt(fields[6]);
    if (!name || !size || size->empty() || !weight || !italic || !underline || !strike || !charset) return std::nullopt;
    double points = 0;
    const auto [ptr, ec] = std::from_chars(size->data(), size->data() + size->size(), points);
    if (ec != std::errc() || ptr != size->data() + size->size() || !(points > 0 && points < 2000)) return std::nullopt;
    if (*weight < 0 || *weight > 1000 || *charset < 0 || *charset > 255) return std::nullopt;
    font.Name = *name;
    font.Size = points;
    font.Weight = *weight;
    font.Italic = *italic;
    font.Underline = *underline;
    font.Strikethrough = *strike;
    font.Charset = *charset;
    return font;
}

const std::wstring* PropertyBag::Raw(std::wstring_view name) const {
    for (const Entry& entry : entries_)
        if (entry.name == name) return &entry.value;
    return nullptr;
}

void PropertyBag::WriteRaw(std::wstring_view name, std::wstring_view text) {
    // A line break would end the entry early in the layout text and turn the rest into a line of its own.
    if (name.empty() || name.find_first_of(L"=\r\n") != std::wstring_view::npos ||
        text.find_first_of(L"\r\n") != std::wstring_view::npos)
        return;
    for (Entry& entry : entries_) {
        if (entry.name == name) {
            entry.value = text;
            return;
        }
    }
    entries_.push_back({std::wstring(name), std::wstring(text)});
}

void PropertyBag::Remove(std::wstring_view name) {
    std::erase_if(entries_, [name](const Entry& entry) { return entry.name == name; });
}

namespace {

template <typename T, typename Parse>
std::optional<T> ReadWith(const PropertyBag& bag, std::wstring_view name, const T& def, Parse parse) {
    const std::wstring* raw = bag.Raw(name);
    if (!raw) return def;
    return parse(*raw);
}

}  // namespace

std::optional<std::int32_t> PropertyBag::ReadInt(std::wstring_view name, std::int32_t def) const {
    return ReadWith(*this, name, def, &ParseInt);
}
std::optional<bool> PropertyBag::ReadBool(std::wstring_view name, bool def) const {
    return ReadWith(*this, name, def, &ParseBool);
}
std::optional<std::wstring> PropertyBag::ReadText(std::wstring_view name, std::wstring_view def) const {
    return ReadWith(*this, name, std::wstring(def), &ParseText);
}
std::optional<OleColor> PropertyBag::ReadColor(std::wstring_view name, OleColor def) const {
    return ReadWith(*this, name, def, &ParseColor);
}
std::optional<FontDesc> PropertyBag::ReadFont(std::wstring_view name, const FontDesc& def) const {
    return ReadWith(*this, name, def, &ParseFont);
}

void PropertyBag::WriteInt(std::wstring_view name, std::int32_t value, std::int32_t def) {
    if (value == def) return Remove(name);
    WriteInt(name, value);
}
void PropertyBag::WriteInt(std::wstring_view name, std::int32_t value) {
    WriteRaw(name, FormatInt(value));
}
void PropertyBag::WriteBool(std::wstring_view name, bool value, bool def) {
    if (value == def) return Remove(name);
    WriteBool(name, value);
}
void PropertyBag::WriteBool(std::wstring_view name, bool value) {
    WriteRaw(name, FormatBool(value));
}
void PropertyBag::WriteText(std::wstring_view name, std::wstring_view value, std::wstring_view def) {
    if (value == def) return Remove(name);
    WriteText(name, value);
}
void PropertyBag::WriteText(std::wstring_view name, std::wstring_view value) {
    WriteRaw(name, FormatText(value));
}
void PropertyBag::WriteColor(std::wstring_view name, OleColor value, OleColor def) {
    if (value == def) return Remove(name);
    WriteColor(name, value);
}
void PropertyBag::WriteColor(std::wstring_view name, OleColor value) {
    WriteRaw(name, FormatColor(value));
}
void PropertyBag::WriteFont(std::wstring_view name, const FontDesc& value, const FontDesc& def) {
    if (value == def) return Remove(name);
    WriteFont(name, value);
}
void PropertyBag::WriteFont(std::wstring_view name, const FontDesc& value) {
    WriteRaw(name, FormatFont(value));
}
