#pragma once
// The address rules: what a page or a redirect may point the program at. Only web addresses of other machines on
// the internet: http or https, and no host that names this machine (an IP literal in any notation the platform
// reads, a loopback name, one of the machine's own names), an intranet name without a dot, or a literal of a
// private network, a link, CGNAT, the benchmark range, multicast, the reserved range or the unspecified address.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace AddressGuard {

// The names the platform reports for this machine (DNS host name, fully qualified DNS name, NetBIOS name), read
// once by the caller. Empty ones are ignored; one trailing dot does not count.
using OwnNames = std::span<const std::wstring>;

// A whole address: its HostToJudge, allowed by IsAllowedHost.
[[nodiscard]] bool IsAllowedAddress(std::wstring_view address, OwnNames ownNames);

// The host a whole address is judged by: that of an http or https address without a blank or control character,
// when every reading of the address agrees on it (see HostOf); nullopt otherwise, and the address is refused. For
// callers that judge the host by rules of their own. A view into `address`.
[[nodiscard]] std::optional<std::wstring_view> HostToJudge(std::wstring_view address);

// A host exactly as it goes to InternetConnectW: letters, digits, '-', '_' and dots, or an IPv6 literal with
// or without its brackets. A name, compared without ASCII case and with or without one trailing dot, may not be
// "localhost", a name under it or another loopback name of hosts files, nor one of `ownNames`, and must hold a
// dot: the platform takes a dotless name for the intranet and logs on to it with the user's credentials. A name
// whose last label starts with a digit must be an IPv4 literal (a dotless one too: "134744072"), and no literal
// may fall in a range named at the top of this file, an IPv4 one inside an IPv6 form included.
[[nodiscard]] bool IsAllowedHost(std::wstring_view host, OwnNames ownNames);

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
