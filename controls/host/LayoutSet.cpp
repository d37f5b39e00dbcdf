#include "LayoutSet.h"

#include "winmsg/Utf8.h"

namespace {

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t' || text.front() == L'\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

LayoutSet LayoutSet::Parse(std::string_view utf8) {
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
    const std::wstring text = Utf8ToWide(utf8);
    LayoutSet set;
    PropertyBag* current = nullptr;
    std::wstring_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find(L'\n');
        const std::wstring_view line = Trim(rest.substr(0, end));
        rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == L'#' || line.front() == L';') continue;
        if (line.front() == L'[') {
            const std::wstring_view name = line.back() == L']' ? Trim(line.substr(1, line.size() - 2)) : L"";
            current = name.empty() ? nullptr : &set.Block(name);
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!current || equals == std::wstring_view::npos) continue;
        const std::wstring_view name = Trim(line.substr(0, equals));
        if (!name.empty()) current->WriteRaw(name, Trim(line.substr(equals + 1)));
    }
    return set;
}

std::string LayoutSet::Serialize() const {
    std::wstring text;
    for (const auto& [name, bag] : blocks_) {
        if (!text.empty()) text += L"\n";
        text += L"[" + name + L"]\n";
        for (const PropertyBag::Entry& entry : bag.Entries()) text += entry.name + L" = " + entry.value + L"\n";
    }
    return WideToUtf8(text);
}

const PropertyBag* LayoutSet::Find(std::wstring_view instance) const {
    for (const auto& [name, bag] : blocks_)
        if (name == instance) return &bag;
    return nullptr;
}

PropertyBag& LayoutSet::Block(std::wstring_view instance) {
    for (auto& [name, bag] : blocks_)
        if (name == instance) return bag;
    return blocks_.emplace_back(std::wstring(instance), PropertyBag{}).second;
}
