#pragma once
// What transfers keep across requests, for as long as the process lives: connect handles per server, and the
// cookie store's answers per folder for the photos' own cookie header.

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "winmsg/win/Handles.h"
#include "Http.h"

namespace Http {

// Connect handles kept for later requests: the servers of one album and its pages, with room to spare.
constexpr size_t kKeptConnections = 8;
// How long the cookie store's answer for a folder serves requests there, unless another request came between;
// the folders whose answers are kept.
constexpr ULONGLONG kCookiesFreshMs = 10000;
constexpr size_t kKeptCookieFolders = 64;

inline void SetTimeouts(HINTERNET handle, const Timeouts& t) {
    // Wine honours send and receive time-outs only on connect and request handles, not on the session, and
    // only as they stand when the request is sent.
    DWORD connect = t.connectMs, send = t.sendMs, receive = t.receiveMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

// Connect handles kept for later requests to the same server, so that each photo of an album does not make and
// close one of its own. The platform keeps the sockets themselves per server; this keeps the handles that lead to
// them. Keyed by scheme, host, port and time-outs, since a handle carries its time-outs to its requests. Closing a
// connect handle would close the requests made from it: each request holds a reference, and a handle leaves only
// once the last one has ended. Like the session, it is never torn down with the other statics.
class KeptConnections {
public:
    using Ref = std::shared_ptr<UniqueInternet>;

    static KeptConnections& Instance() {
        static auto* const kept = new KeptConnections;
        return *kept;
    }

    // The handle for `host`, which the address rules have just judged; null when none could be made.
    Ref Get(HINTERNET session, INTERNET_SCHEME scheme, const std::wstring& host, INTERNET_PORT port,
            const Timeouts& t) {
        std::wstring key = std::to_wstring(scheme) + L" " + std::to_wstring(port) + L" " +
                           std::to_wstring(t.connectMs) + L" " + std::to_wstring(t.sendMs) + L" " +
                           std::to_wstring(t.receiveMs) + L" " + host;
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

private:
    std::mutex lock_;
    std::list<std::pair<std::wstring, Ref>> kept_;
};


// The session's cookies for requests with `keptCookies` (see Http.h). Any other request may change the store (an
// answer's Set-Cookie is stored by the platform): it makes every kept answer stale. Never torn down with the other
// statics.
class KeptCookies {
public:
    static KeptCookies& Instance() {
        static auto* const kept = new KeptCookies;
        return *kept;
    }

    // "Cookie: ...\r\n" for the folder of `url`, or nothing.
    std::wstring Header(const std::wstring& url) {
        const std::wstring folder = FolderOf(url);
        const ULONGLONG now = GetTickCount64();
        const unsigned epoch = epoch_.load();
        {
            const std::lock_guard<std::mutex> hold(lock_);
            const auto it = kept_.find(folder);
            if (it != kept_.end() && it->second.epoch == epoch && now - it->second.at < kCookiesFreshMs)
                return it->second.header;
        }
        std::wstring header = Ask(folder);
        const std::lock_guard<std::mutex> hold(lock_);
        if (kept_.size() >= kKeptCookieFolders) kept_.clear();
        kept_[folder] = {header, epoch, now};
        return header;
    }

    // The store may have changed.
    void Changed() noexcept { ++epoch_; }

    // An answer that the platform has read, and whose cookies it has stored: the kept answers are stale when it set
    // any.
    void Read(HINTERNET request) noexcept {
        DWORD index = 0, size = 0;
        if (HttpQueryInfoW(request, HTTP_QUERY_SET_COOKIE, nullptr, &size, &index) ||
            GetLastError() != ERROR_HTTP_HEADER_NOT_FOUND)
            Changed();
    }

    // Stores the cookies of an answer to `url` that the platform was told to leave alone.
    void StoreFrom(HINTERNET request, const std::wstring& url) {
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

private:
    struct Kept {
        std::wstring header;
        unsigned epoch = 0;
        ULONGLONG at = 0;
    };

    // The address up to the last "/" of its path: what the store answers for a file there is the same.
    static std::wstring FolderOf(const std::wstring& url) {
        const size_t authority = url.find(L"://");
        const size_t pathStart = authority == std::wstring::npos ? std::wstring::npos : url.find(L'/', authority + 3);
        if (pathStart == std::wstring::npos) return url.substr(0, url.find_first_of(L"?#")) + L"/";
        const size_t end = url.find_first_of(L"?#", pathStart);
        return url.substr(0, url.rfind(L'/', end == std::wstring::npos ? std::wstring::npos : end - 1) + 1);
    }

    static std::wstring Ask(const std::wstring& folder) {
        std::wstring cookies(1024, L'\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD size = static_cast<DWORD>(cookies.size());
            if (InternetGetCookieExW(folder.c_str(), nullptr, cookies.data(), &size, INTERNET_COOKIE_HTTPONLY,
                                     nullptr)) {
                cookies.resize(wcsnlen(cookies.c_str(), cookies.size()));
                return cookies.empty() ? std::wstring() : L"Cookie: " + cookies + L"\r\n";
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};  // none: ERROR_NO_MORE_ITEMS
            cookies.assign(static_cast<size_t>(size) + 1, L'\0');
        }
        return {};
    }

    std::mutex lock_;
    std::map<std::wstring, Kept> kept_;
    std::atomic<unsigned> epoch_{0};
};

}  // namespace Http
