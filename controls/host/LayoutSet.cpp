#include "LayoutSet.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t' || text.front() == L'\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r'))
        text.remove_suffix(1);
    return text;
}

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(cp));
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
        }
        if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            i = ok ? j : i + 1;
            continue;
        }
        AppendCodePoint(out, cp);
        i = j;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = static_cast<char32_t>(wide[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(wide[i + 1]) - 0xDC00);
                ++i;
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = kReplacement;
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

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
