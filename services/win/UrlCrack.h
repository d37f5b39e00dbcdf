#pragma once
// An address cut into what a connection and its request take, by the platform's own cut (InternetCrackUrlW): the
// host the address rules judge is then the very host the connection gets.

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>

namespace Http {

// Where one hop goes: the host exactly as the connection gets it, the path with its query ("/" when none).
struct UrlParts {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;
};

// nullopt when the platform cannot cut `url`, it names no host, or its scheme is neither http nor https.
[[nodiscard]] std::optional<UrlParts> CrackUrl(const std::wstring& url);

}  // namespace Http
