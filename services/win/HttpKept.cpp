#include "HttpKept.h"

namespace Http {
namespace {

// Connect handles kept for later requests: the servers of one album and its pages, with room to spare.
constexpr size_t kKeptConnections = 8;
// How long the cookie store's answer for a folder serves requests there, unless another request came between;
// the folders whose answers are kept.
constexpr ULONGLONG kCookiesFreshMs = 10000;
constexpr size_t kKeptCookieFolders = 64;

// The address up to the last "/" of its path: what the store answers for a file there is the same.
std::wstring FolderOf(const std::wstring& url) {
    const size_t authority = url.find(L"://");
    const size_t pathStart = authority == std::wstring::npos ? std::wstring::npos : url.find(L'/', authority + 3);
    if (pathStart == std::wstring::npos) return url.substr(0, url.find_first_of(L"?#")) + L"/";
    const size_t end = url.find_first_of(L"?#", pathStart);
    return url.substr(0, url.rfind(L'/', end == std::wstring::npos ? std::wstring::npos : end - 1) + 1);
}

// The store's "Cookie: ...\r\n" for `folder`, or nothing.
std::wstring AskStore(const std::wstring& folder) {
    std::wstring cookies(1024, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(cookies.size());
        if (InternetGetCookieExW(folder.c_str(), nullptr, cookies.data(), &size, INTERNET_COOKIE_HTTPONLY, nullptr)) {
            cookies.resize(wcsnlen(cookies.c_str(), cookies.size()));
            return cookies.empty() ? std::wstring() : L"Cookie: " + cookies + L"\r\n";
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};  // none: ERROR_NO_MORE_ITEMS
        cookies.assign(static_cast<size_t>(size) + 1, L'\0');
    }
    return {};
}

}  // namespace

void SetTimeouts(HINTERNET handle, const Timeouts& t) {
    // Wine honours send and receive time-outs only on connect and request handles, not on the session, and
    // only as they stand when the request is sent.
    DWORD connect = t.connectMs, send = t.sendMs, receive = t.receiveMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

KeptConnections& KeptConnections::Instance() {
    static auto* const kept = new KeptConnections;
    return *kept;
}

KeptConnections::Ref KeptConnections::Get(HINTERNET session, INTERNET_SCHEME scheme, const std::wstring& host,
                                          INTERNET_PORT port, const Timeouts& t) {
    std::wstring key = std::to_wstring(scheme) + L" " + std::to_wstring(port) + L" " + std::to_wstring(t.connectMs) +
                       L" " + std::to_wstring(t.sendMs) + L" " + std::to_wstring(t.receiveMs) + L" " + host;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        for (auto it = kept_.begin(); it != kept_.end(); ++it) {
            if (it->first != key) continue;
            kept_.splice(kept_.begin(), kept_, it);  // most recently used first
            return kept_.front().second;
        }
    }
    UniqueInternet connection(
        InternetConnectW(session, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return nullptr;
    SetTimeouts(connection.Get(), t);
    Ref ref = std::make_shared<UniqueInternet>(std::move(connection));
    const std::lock_guard<std::mutex> hold(lock_);
    kept_.emplace_front(std::move(key), ref);
    if (kept_.size() > kKeptConnections) kept_.pop_back();  // closes once its last request has ended
    return ref;
}

KeptCookies& KeptCookies::Instance() {
    static auto* const kept = new KeptCookies;
    return *kept;
}

std::wstring KeptCookies::Header(const std::wstring& url) {
    const std::wstring folder = FolderOf(url);
    const ULONGLONG now = GetTickCount64();
    const unsigned epoch = epoch_.load();
    {
        const std::lock_guard<std::mutex> hold(lock_);
        const auto it = kept_.find(folder);
        if (it != kept_.end() && it->second.epoch == epoch && now - it->second.at < kCookiesFreshMs)
            return it->second.header;
    }
    std::wstring header = AskStore(folder);
    const std::lock_guard<std::mutex> hold(lock_);
    if (kept_.size() >= kKeptCookieFolders) kept_.clear();
    kept_[folder] = {header, epoch, now};
    return header;
}

void KeptCookies::Changed() noexcept {
    ++epoch_;
}

void KeptCookies::Read(HINTERNET request) noexcept {
    DWORD index = 0, size = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_SET_COOKIE, nullptr, &size, &index) ||
        GetLastError() != ERROR_HTTP_HEADER_NOT_FOUND)
        Changed();
}

void KeptCookies::StoreFrom(HINTERNET request, const std::wstring& url) {
    bool stored = false;
    for (DWORD index = 0;;) {
        const DWORD at = index;
        std::wstring value(255, L'\0');
        DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        if (!HttpQueryInfoW(request, HTTP_QUERY_SET_COOKIE, value.data(), &size, &index)) {
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
            value.resize(size / sizeof(wchar_t));
            size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
            index = at;
            if (!HttpQueryInfoW(request, HTTP_QUERY_SET_COOKIE, value.data(), &size, &index)) break;
        }
        value.resize(size / sizeof(wchar_t));
        stored |= InternetSetCookieExW(url.c_str(), nullptr, value.c_str(), INTERNET_COOKIE_HTTPONLY, 0) != 0;
        if (index == at) break;  // a platform that does not move on would loop for ever
    }
    if (stored) Changed();
}

}  // namespace Http
