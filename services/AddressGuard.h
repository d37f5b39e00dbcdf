#pragma once
// The address rules: what a page or a redirect may point the program at. Only web addresses of other machines:
// http or https, and no host that is an IP literal of this machine, a private network, a link, CGNAT or the
// unspecified address, in any notation the platform reads.

#include <cstdint>
#include <optional>
#include <string_view>

namespace AddressGuard {

// A whole address: http or https, no blank or control character, a host that every reading of the address
// agrees on (see HostOf), and that host allowed by IsAllowedHost.
[[nodiscard]] bool IsAllowedAddress(std::wstring_view address);

// A host exactly as it goes to InternetConnectW: letters, digits, '-', '_' and dots, or an IPv6 literal with
// or without its brackets; not "localhost"; a name whose last label starts with a digit must be an IPv4
// literal, and no literal may name this machine, a private network or a link.
[[nodiscard]] bool IsAllowedHost(std::wstring_view host);

// The host of an http or https address as InternetCrackUrlW cuts it (user information up to the first '@',
// the port after the last ':', the brackets of an IPv6 literal kept), when the standard reading (user
// information up to the last '@', '\' ending the host as '/' does, the port after the IPv6 brackets) names the
// same host; nullopt for another scheme or when the readings differ. A view into `address`.
[[nodiscard]] std::optional<std::wstring_view> HostOf(std::wstring_view address);

// The IPv4 address a host names as the platform reads it: one to four parts, each decimal, octal (leading 0)
// or hexadecimal (0x), the last part filling the remaining bytes ("127.1", "2130706433", "0x7f.0.0.1");
// most significant byte first. nullopt for anything else.
[[nodiscard]] std::optional<std::uint32_t> ParseIpv4(std::wstring_view host);

}  // namespace AddressGuard
