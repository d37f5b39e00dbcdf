#include "AddressGuard.h"

#include <algorithm>
#include <array>
#include <vector>

namespace AddressGuard {

namespace {

constexpr size_t npos = std::wstring_view::npos;

bool IsBlankOrControl(wchar_t c) {
    return c <= 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

// What a host name may hold. Anything else, non-ASCII letters too, is refused: the platform maps full-width
// digits and dots of an international name to ASCII ones, so "１２７。０。０。１" would reach loopback.
bool IsNameCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_' ||
           c == L'.';
}

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c;
}

// Only ASCII letters compare without case: the platform takes no other letter for a scheme's.
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](wchar_t a, wchar_t b) { return a == AsciiLower(b); });
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view lowerPrefix) {
    return EndsWithNoCase(text.substr(0, lowerPrefix.size()), lowerPrefix);
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](wchar_t x, wchar_t y) { return AsciiLower(x) == AsciiLower(y); });
}

// The resolver takes a name with one trailing dot for the same name.
std::wstring_view WithoutTrailingDot(std::wstring_view name) {
    if (name.ends_with(L'.')) name.remove_suffix(1);
    return name;
}

// Names the resolver answers from this machine without asking any server: "localhost", the names under it, and
// the loopback names that hosts files carry.
bool IsLoopbackName(std::wstring_view name) {
    static constexpr std::wstring_view kNames[] = {L"localhost",     L"localhost.localdomain",
                                                   L"ip6-localhost", L"ip6-loopback",
                                                   L"localhost6",    L"localhost6.localdomain6"};
    return EndsWithNoCase(name, L".localhost") ||
           std::any_of(std::begin(kNames), std::end(kNames),
                       [name](std::wstring_view n) { return EqualsNoCase(name, n); });
}

bool IsOwnName(std::wstring_view name, OwnNames ownNames) {
    return std::any_of(ownNames.begin(), ownNames.end(), [name](const std::wstring& own) {
        const std::wstring_view bare = WithoutTrailingDot(own);
        return !bare.empty() && EqualsNoCase(name, bare);
    });
}

// 0 to 15 for a hexadecimal digit, -1 for anything else.
int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// This network, private networks, loopback, link-local, CGNAT, the benchmark range (198.18/15, where test
// rigs and some appliances sit), multicast and the reserved range up to the broadcast address.
bool IsRefusedIpv4(std::uint32_t a) {
    const auto in = [a](std::uint32_t net, int bits) { return (a >> (32 - bits)) == (net >> (32 - bits)); };
    return in(0x00000000, 8) || in(0x0A000000, 8) || in(0x7F000000, 8) || in(0xA9FE0000, 16) || in(0xAC100000, 12) ||
           in(0xC0A80000, 16) || in(0x64400000, 10) || in(0xC6120000, 15) || in(0xE0000000, 4) || in(0xF0000000, 4);
}

// Eight 16-bit groups, with "::" and a dotted IPv4 tail; nullopt for anything else, a zone id too.
std::optional<std::array<std::uint16_t, 8>> ParseIpv6(std::wstring_view text) {
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
        if (group.find(L'.') != npos) {
            if (colon != npos) return std::nullopt;
            const auto v4 = ParseIpv4(group);
            if (!v4 || std::count(group.begin(), group.end(), L'.') != 3) return std::nullopt;
            into->push_back(static_cast<std::uint16_t>(*v4 >> 16));
            into->push_back(static_cast<std::uint16_t>(*v4 & 0xFFFF));
            break;
        }
        if (group.empty() || group.size() > 4) return std::nullopt;
        std::uint16_t value = 0;
        for (const wchar_t c : group) {
            const int digit = DigitValue(c);
            if (digit < 0) return std::nullopt;
            value = static_cast<std::uint16_t>(value * 16 + digit);
        }
        into->push_back(value);
        if (colon == npos) break;
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
    std::array<std::uint16_t, 8> groups{};
    std::copy(head.begin(), head.end(), groups.begin());
    std::copy(tail.begin(), tail.end(), groups.end() - static_cast<std::ptrdiff_t>(tail.size()));
    return groups;
}

bool IsRefusedIpv6(const std::array<std::uint16_t, 8>& g) {
    const auto zero = [&g](int from, int to) {
        return std::all_of(g.begin() + from, g.begin() + to, [](std::uint16_t x) { return x == 0; });
    };
    const std::uint32_t v4 = static_cast<std::uint32_t>(g[6]) << 16 | g[7];
    // ::, ::1, and IPv4 inside (mapped ::ffff:a.b.c.d, compatible ::a.b.c.d) are judged as that IPv4 address, as
    // is the one a NAT64 gateway (64:ff9b::a.b.c.d) would reach in its own network.
    if (zero(0, 5) && (g[5] == 0xFFFF || g[5] == 0)) return IsRefusedIpv4(v4);
    if (g[0] == 0x64 && g[1] == 0xFF9B && zero(2, 6)) return IsRefusedIpv4(v4);
    // Link-local, site-local, unique local and multicast.
    return (g[0] & 0xFFC0) == 0xFE80 || (g[0] & 0xFFC0) == 0xFEC0 || (g[0] & 0xFE00) == 0xFC00 ||
           (g[0] & 0xFF00) == 0xFF00;
}

}  // namespace

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
        if (part.empty()) return std::nullopt;
        std::uint64_t value = 0;
        for (const wchar_t c : part) {
            const int digit = DigitValue(c);
            if (digit < 0 || digit >= base) return std::nullopt;
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        parts[count++] = value;
        if (dot == npos) break;
        host.remove_prefix(dot + 1);
    }
    std::uint32_t address = 0;
    for (int i = 0; i < count - 1; ++i) {
        if (parts[i] > 0xFF) return std::nullopt;
        address |= static_cast<std::uint32_t>(parts[i]) << (24 - 8 * i);
    }
    // The last part fills the bytes left: 24 bits after one part, 16 after two, 8 after three.
    if (parts[count - 1] >> (32 - 8 * (count - 1))) return std::nullopt;
    return address | static_cast<std::uint32_t>(parts[count - 1]);
}

std::optional<std::wstring_view> HostOf(std::wstring_view address) {
    size_t schemeLength = 0;
    if (StartsWithNoCase(address, L"http://")) schemeLength = 7;
    if (StartsWithNoCase(address, L"https://")) schemeLength = 8;
    if (schemeLength == 0) return std::nullopt;
    const std::wstring_view rest = address.substr(schemeLength);

    // As InternetCrackUrlW cuts it: the host ends at the first '/' or where the query starts ('?', or '#' when
    // there is no '?'); the user information runs to the first '@'; the port starts at the last ':'.
    size_t query = rest.find(L'?');
    if (query == npos) query = rest.find(L'#');
    std::wstring_view platform = rest.substr(0, std::min(rest.find(L'/'), query));
    if (const size_t at = platform.find(L'@'); at != npos) platform.remove_prefix(at + 1);
    platform = platform.substr(0, platform.rfind(L':'));

    // As a browser or a server reading the standard cuts it: '\' ends the host as '/' does, the user information
    // runs to the last '@', and the port starts at the first ':' after an IPv6 literal's closing bracket.
    std::wstring_view standard = rest.substr(0, rest.find_first_of(L"/?#\\"));
    if (const size_t at = standard.rfind(L'@'); at != npos) standard.remove_prefix(at + 1);
    standard = standard.substr(0, standard.find(L':', standard.starts_with(L'[') ? standard.find(L']') : 0));

    // Where the two differ, the check would judge one host and the transfer connect to another.
    if (platform != standard) return std::nullopt;
    return platform;
}

bool IsAllowedHost(std::wstring_view host, OwnNames ownNames) {
    // An IPv6 literal: WinINet leaves the brackets on, other callers may take them off.
    if (host.starts_with(L'[') || host.find(L':') != npos) {
        if (host.starts_with(L'[')) {
            if (!host.ends_with(L']')) return false;
            host = host.substr(1, host.size() - 2);
        }
        const auto groups = ParseIpv6(host);
        return groups && !IsRefusedIpv6(*groups);
    }
    if (host.empty() || !std::all_of(host.begin(), host.end(), IsNameCharacter)) return false;
    host = WithoutTrailingDot(host);
    const size_t lastDot = host.rfind(L'.');
    const std::wstring_view lastLabel = lastDot == npos ? host : host.substr(lastDot + 1);
    if (lastLabel.empty() || IsLoopbackName(host) || IsOwnName(host, ownNames)) return false;
    // A name whose last label starts with a digit is read as an IPv4 literal by the platform, dots or not.
    if (lastLabel[0] >= L'0' && lastLabel[0] <= L'9') {
        const auto v4 = ParseIpv4(host);
        return v4 && !IsRefusedIpv4(*v4);
    }
    // A name without a dot is an intranet name: the platform logs on to it with the user's own credentials.
    return lastDot != npos;
}

std::optional<std::wstring_view> HostToJudge(std::wstring_view address) {
    if (std::any_of(address.begin(), address.end(), IsBlankOrControl)) return std::nullopt;
    return HostOf(address);
}

bool IsAllowedAddress(std::wstring_view address, OwnNames ownNames) {
    const auto host = HostToJudge(address);
    return host && IsAllowedHost(*host, ownNames);
}

}  // namespace AddressGuard
