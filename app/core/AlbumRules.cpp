#include "AlbumRules.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "Colour.h"

namespace {

constexpr std::wstring_view kLoadingMarker = L"class=\"loading\"";
constexpr std::wstring_view kDataSrcMarker = L"data-src=\"";
constexpr size_t kMaxNameLength = 120;

// 1-based position of the first occurrence, 0 when absent.
size_t InStr(std::wstring_view text, std::wstring_view what) {
    const size_t at = text.find(what);
    return at == std::wstring_view::npos ? 0 : at + 1;
}

// `length` characters from 1-based `start`; shorter at the end of the text.
std::wstring_view Mid(std::wstring_view text, size_t start, size_t length = std::wstring_view::npos) {
    if (start == 0 || start > text.size()) return {};
    return text.substr(start - 1, length);
}

bool IsControl(wchar_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

// Blanks and control characters (CR, LF, tab...) that a paste brings along at either end.
std::wstring_view TrimBlanksAndControls(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || IsControl(text.front()))) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || IsControl(text.back()))) text.remove_suffix(1);
    return text;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    return text;
}

// The upper-case letter the file system compares a character as (its simple upper-case mapping), for the
// scripts photo names are written in: Latin, Greek, Cyrillic, Armenian, full-width Latin, Roman numerals
// and circled letters. Other characters compare as they are.
wchar_t FoldCase(wchar_t c) {
    const auto code = static_cast<unsigned>(c);
    const auto pairFold = [code](unsigned first, unsigned last, bool lowerIsOdd) {
        return code >= first && code <= last && ((code & 1) != 0) == lowerIsOdd;
    };
    if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 0x20) : c;
    if (c == 0xB5) return 0x39C;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return static_cast<wchar_t>(c - 0x20);
    switch (c) {
        case 0xFF: return 0x178;
        case 0x131: return L'I';
        case 0x17F: return L'S';
        case 0x3C2: return 0x3A3;
        case 0x3AC: return 0x386;
        case 0x3CC: return 0x38C;
        case 0x4CF: return 0x4C0;
        default: break;
    }
    if (c >= 0x3AD && c <= 0x3AF) return static_cast<wchar_t>(c - 37);
    if (c >= 0x3CD && c <= 0x3CE) return static_cast<wchar_t>(c - 63);
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);
    if (c >= 0x561 && c <= 0x586) return static_cast<wchar_t>(c - 0x30);
    if (c >= 0x2170 && c <= 0x217F) return static_cast<wchar_t>(c - 0x10);
    if (c >= 0x24D0 && c <= 0x24E9) return static_cast<wchar_t>(c - 26);
    // Upper and lower case side by side, the lower one at the odd or at the even code.
    if (pairFold(0x100, 0x12F, true) || pairFold(0x132, 0x137, true) || pairFold(0x14A, 0x177, true) ||
        pairFold(0x1DE, 0x1EF, true) || pairFold(0x1F8, 0x21F, true) || pairFold(0x222, 0x233, true) ||
        pairFold(0x460, 0x481, true) || pairFold(0x48A, 0x4BF, true) || pairFold(0x4D0, 0x52F, true) ||
        pairFold(0x1E00, 0x1E95, true) || pairFold(0x1EA0, 0x1EFF, true))
        return static_cast<wchar_t>(c - 1);
    if (pairFold(0x139, 0x148, false) || pairFold(0x179, 0x17E, false) || pairFold(0x1CD, 0x1DC, false) ||
        pairFold(0x4C1, 0x4CE, false))
        return static_cast<wchar_t>(c - 1);
    return c;
}

std::wstring Fold(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = FoldCase(c);
    return out;
}

bool IsReservedDeviceName(std::wstring_view name) {
    // The device names count with any extension and with blanks before it: "CON.jpg" and "com1 .jpg" open
    // devices, not files.
    const std::wstring stem = Fold(TrimBlanks(name.substr(0, name.find(L'.'))));
    static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
    if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t digit = stem[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

// An IPv4 literal as the platform's address parsers take it: one to four parts, each decimal, octal (leading 0)
// or hexadecimal (0x), the last part filling the remaining bytes ("127.1", "2130706433", "0x7f.0.0.1").
std::optional<std::uint32_t> ParseIpv4(std::wstring_view host) {
    std::uint64_t parts[4];
    int count = 0;
    while (true) {
        if (count == 4 || host.empty()) return std::nullopt;
        const size_t dot = host.find(L'.');
        std::wstring_view part = host.substr(0, dot);
        int base = 10;
        if (part.size() > 1 && part[0] == L'0' && (part[1] == L'x' || part[1] == L'X')) {
            base = 16;
            part.remove_prefix(2);
        } else if (part.size() > 1 && part[0] == L'0') {
            base = 8;
            part.remove_prefix(1);
        }
        if (part.empty() && base != 8) return std::nullopt;
        std::uint64_t value = 0;
        for (const wchar_t c : part) {
            int digit = -1;
            if (c >= L'0' && c <= L'9') digit = c - L'0';
            if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
            if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
            if (digit < 0 || digit >= base) return std::nullopt;
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        parts[count++] = value;
        if (dot == std::wstring_view::npos) break;
        host.remove_prefix(dot + 1);
    }
    std::uint32_t address = 0;
    for (int i = 0; i < count - 1; ++i) {
        if (parts[i] > 0xFF) return std::nullopt;
        address |= static_cast<std::uint32_t>(parts[i]) << (24 - 8 * i);
    }
    const int lastBits = 32 - 8 * (count - 1);
    if (lastBits < 32 && parts[count - 1] >> lastBits) return std::nullopt;
    return address | static_cast<std::uint32_t>(parts[count - 1]);
}

bool IsLocalIpv4(std::uint32_t a) {
    const auto in = [a](std::uint32_t net, int bits) { return (a >> (32 - bits)) == (net >> (32 - bits)); };
    return in(0x00000000, 8) || in(0x0A000000, 8) || in(0x7F000000, 8) || in(0xA9FE0000, 16) || in(0xAC100000, 12) ||
           in(0xC0A80000, 16) || in(0x64400000, 10);
}

// Eight 16-bit groups, with "::" and a dotted IPv4 tail; nullopt for anything else.
std::optional<std::array<std::uint16_t, 8>> ParseIpv6(std::wstring_view text) {
    if (const size_t zone = text.find(L'%'); zone != std::wstring_view::npos) text = text.substr(0, zone);
    std::array<std::uint16_t, 8> groups{};
    std::vector<std::uint16_t> head, tail;
    std::vector<std::uint16_t>* into = &head;
    bool compressed = false;
    if (text.starts_with(L"::")) {
        compressed = true;
        into = &tail;
        text.remove_prefix(2);
    }
    while (!text.empty()) {
        const size_t colon = text.find(L':');
        const std::wstring_view group = text.substr(0, colon);
        if (group.find(L'.') != std::wstring_view::npos) {
            if (colon != std::wstring_view::npos) return std::nullopt;
            const auto v4 = ParseIpv4(group);
            if (!v4 || std::count(group.begin(), group.end(), L'.') != 3) return std::nullopt;
            into->push_back(static_cast<std::uint16_t>(*v4 >> 16));
            into->push_back(static_cast<std::uint16_t>(*v4 & 0xFFFF));
            break;
        }
        if (group.empty() || group.size() > 4) return std::nullopt;
        std::uint16_t value = 0;
        for (const wchar_t c : group) {
            int digit = -1;
            if (c >= L'0' && c <= L'9') digit = c - L'0';
            if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
            if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
            if (digit < 0) return std::nullopt;
            value = static_cast<std::uint16_t>(value * 16 + digit);
        }
        into->push_back(value);
        if (colon == std::wstring_view::npos) break;
        text.remove_prefix(colon + 1);
        if (text.starts_with(L":")) {
            if (compressed) return std::nullopt;
            compressed = true;
            into = &tail;
            text.remove_prefix(1);
        } else if (text.empty()) {
            return std::nullopt;
        }
    }
    const size_t total = head.size() + tail.size();
    if (total > 8 || (!compressed && total != 8) || (compressed && total == 8)) return std::nullopt;
    std::copy(head.begin(), head.end(), groups.begin());
    std::copy(tail.begin(), tail.end(), groups.end() - static_cast<std::ptrdiff_t>(tail.size()));
    return groups;
}

bool IsLocalIpv6(const std::array<std::uint16_t, 8>& g) {
    const bool zeroPrefix = g[0] == 0 && g[1] == 0 && g[2] == 0 && g[3] == 0 && g[4] == 0;
    // ::, ::1, and IPv4 inside (mapped ::ffff:a.b.c.d or compatible ::a.b.c.d) judged as IPv4.
    if (zeroPrefix && (g[5] == 0xFFFF || g[5] == 0)) {
        const std::uint32_t v4 = static_cast<std::uint32_t>(g[6]) << 16 | g[7];
        return g[5] == 0xFFFF ? IsLocalIpv4(v4) : (v4 <= 1 || IsLocalIpv4(v4));
    }
    return (g[0] & 0xFFC0) == 0xFE80 || (g[0] & 0xFFC0) == 0xFEC0 || (g[0] & 0xFE00) == 0xFC00;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
    return true;
}

}  // namespace

std::wstring getFileName(std::wstring_view FilePath) {
    const size_t slash = FilePath.rfind(L'/');
    return std::wstring(slash == std::wstring_view::npos ? FilePath : FilePath.substr(slash + 1));
}

std::optional<std::wstring> AlbumPageAddress(std::wstring_view albumAddress, std::wstring_view photoHost) {
    const std::wstring_view t = TrimBlanksAndControls(albumAddress);
    // A control character inside would reach the request line.
    if (std::any_of(t.begin(), t.end(), IsControl)) return std::nullopt;
    const size_t a = InStr(t, L"album-");
    std::wstring_view albumId = Mid(t, a + 6);
    if (const size_t query = albumId.find(L'?'); query != std::wstring_view::npos) {
        albumId = albumId.substr(0, query);
    } else if (const size_t fragment = albumId.find(L'#'); fragment != std::wstring_view::npos) {
        albumId = albumId.substr(0, fragment);
    }
    const size_t p = InStr(t, L"photo/");
    const size_t q = InStr(t, L"/album");
    if (q < p + 6) return std::nullopt;  // the owner id's length would be negative
    const std::wstring_view owner = Mid(t, p + 6, q - p - 6);
    std::wstring page = L"http://";
    page += photoHost;
    page += L"/photo/";
    page += TrimBlanks(owner);
    page += L"/album-";
    page += TrimBlanks(albumId);
    return page;
}

std::vector<std::wstring_view> PhotoPieces(std::wstring_view page) {
    std::vector<std::wstring_view> pieces;
    size_t at = page.find(kLoadingMarker);
    while (at != std::wstring_view::npos) {
        const size_t start = at + kLoadingMarker.size();
        const size_t next = page.find(kLoadingMarker, start);
        pieces.push_back(page.substr(start, next == std::wstring_view::npos ? std::wstring_view::npos : next - start));
        at = next;
    }
    return pieces;
}

std::optional<std::wstring> PhotoAddress(std::wstring_view piece) {
    const size_t s = InStr(piece, kDataSrcMarker);
    const size_t j = InStr(piece, L".jpg");
    if (j < s + kDataSrcMarker.size()) return std::nullopt;
    std::wstring address(Mid(piece, s + kDataSrcMarker.size(), j - s - kDataSrcMarker.size()));
    address += L".jpg";
    return address;
}

bool IsAllowedPhotoAddress(std::wstring_view address) {
    if (std::any_of(address.begin(), address.end(), [](wchar_t c) { return c == L' ' || IsControl(c); })) return false;
    size_t schemeLength = 0;
    if (StartsWithNoCase(address, L"http://")) schemeLength = 7;
    if (StartsWithNoCase(address, L"https://")) schemeLength = 8;
    if (schemeLength == 0) return false;
    std::wstring_view authority = address.substr(schemeLength);
    authority = authority.substr(0, authority.find_first_of(L"/?#\\"));
    if (const size_t at = authority.rfind(L'@'); at != std::wstring_view::npos) authority.remove_prefix(at + 1);
    if (authority.starts_with(L"[")) {
        const size_t close = authority.find(L']');
        if (close == std::wstring_view::npos) return false;
        const auto v6 = ParseIpv6(authority.substr(1, close - 1));
        return v6 && !IsLocalIpv6(*v6);
    }
    std::wstring_view host = authority.substr(0, authority.find(L':'));
    if (host.ends_with(L".")) host.remove_suffix(1);
    // Percent signs would let a name decode into an address after this check.
    if (host.empty() || host.find(L'%') != std::wstring_view::npos) return false;
    // A name whose last label starts with a digit is read as an IPv4 literal by the platform.
    const size_t lastDot = host.rfind(L'.');
    if (lastDot != std::wstring_view::npos && lastDot + 1 == host.size()) return false;
    const wchar_t lastLabel = host[lastDot == std::wstring_view::npos ? 0 : lastDot + 1];
    if (lastLabel < L'0' || lastLabel > L'9') return true;
    const auto v4 = ParseIpv4(host);
    return v4 && !IsLocalIpv4(*v4);
}

std::wstring PhotoFileName(NamingScheme scheme, std::wstring_view address, int index, int count) {
    switch (scheme) {
        case NamingScheme::AblumUpName: return std::to_wstring(index + 1) + L".jpg";
        case NamingScheme::AblumDownName: return std::to_wstring(count - index) + L".jpg";
        case NamingScheme::UrlInitName: break;
    }
    return getFileName(address);
}

int ProgressPercent(int index, int count) {
    if (count <= 0) return 0;
    // A double tells every half apart here: the quotient's distance from one, at least 1 / (2 count), is far
    // larger than its rounding error.
    return static_cast<int>(Nearest(100.0 * index / count));
}

std::wstring MakeSafeFileName(std::wstring_view name, int index) {
    std::wstring out;
    out.reserve(name.size());
    for (const wchar_t c : name) {
        const bool forbidden = c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'\\' ||
                               c == L'|' || c == L'?' || c == L'*';
        out += forbidden ? L'_' : c;
    }
    // Windows drops trailing dots and blanks, which would turn "x.jpg." into another file's name.
    while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    while (!out.empty() && out.front() == L' ') out.erase(out.begin());
    if (out.empty() || out.find_first_not_of(L'.') == std::wstring::npos) return std::to_wstring(index + 1) + L".jpg";
    if (IsReservedDeviceName(out)) out.insert(out.begin(), L'_');
    if (out.size() > kMaxNameLength) {
        const size_t dot = out.rfind(L'.');
        const std::wstring extension = dot != std::wstring::npos && out.size() - dot <= 8 ? out.substr(dot) : L"";
        size_t keep = kMaxNameLength - extension.size();
        if (out[keep - 1] >= 0xD800 && out[keep - 1] <= 0xDBFF) --keep;  // never half a surrogate pair
        out = out.substr(0, keep) + extension;
        // The cut may end the name in a blank or a dot, which Windows would drop.
        while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    }
    return out;
}

std::wstring RunFileNames::Unique(const std::wstring& safeName) const {
    const std::wstring folded = Fold(safeName);
    if (!taken_.count(folded)) return safeName;
    const size_t dot = safeName.rfind(L'.');
    const std::wstring stem = dot == std::wstring::npos || dot == 0 ? safeName : safeName.substr(0, dot);
    const std::wstring extension = dot == std::wstring::npos || dot == 0 ? L"" : safeName.substr(dot);
    // Every number below the one remembered for this name was found taken already: a run of many photos of one
    // name does not try them all again for each photo.
    int& next = nextNumber_[folded];
    for (int n = std::max(next, 2);; ++n) {
        std::wstring candidate = stem + L" (" + std::to_wstring(n) + L")" + extension;
        if (!taken_.count(Fold(candidate))) {
            next = n;
            return candidate;
        }
    }
}

void RunFileNames::Take(const std::wstring& name) {
    taken_.insert(Fold(name));
}
