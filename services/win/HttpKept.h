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

// Gives a connect or request handle the time-outs `t`.
void SetTimeouts(HINTERNET handle, const Timeouts& t);

// Connect handles kept for later requests to the same server, so that each photo of an album does not make and
// close one of its own. The platform keeps the sockets themselves per server; this keeps the handles that lead to
// them. Keyed by scheme, host, port and time-outs, since a handle carries its time-outs to its requests. Closing a
// connect handle would close the requests made from it: each request holds a reference, and a handle leaves only
// once the last one has ended. Like the session, it is never torn down with the other statics.
class KeptConnections {
public:
    using Ref = std::shared_ptr<UniqueInternet>;

    static KeptConnections& Instance();

    // The handle for `host`, which the address rules have just judged; null when none could be made.
    Ref Get(HINTERNET session, INTERNET_SCHEME scheme, const std::wstring& host, INTERNET_PORT port, const Timeouts& t);

private:
    std::mutex lock_;
    std::list<std::pair<std::wstring, Ref>> kept_;  // most recently used first
};

// The session's cookies for requests with `keptCookies` (see Http.h). Any other request may change the store (an
// answer's Set-Cookie is stored by the platform): it makes every kept answer stale. Never torn down with the other
// statics.
class KeptCookies {
public:
    static KeptCookies& Instance();

    // "Cookie: ...\r\n" for the folder of `url`, or nothing.
    std::wstring Header(const std::wstring& url);

    // The store may have changed.
    void Changed() noexcept;

    // An answer that the platform has read, and whose cookies it has stored: the kept answers are stale when it set
    // any.
    void Read(HINTERNET request) noexcept;

    // Stores the cookies of an answer to `url` that the platform was told to leave alone.
    void StoreFrom(HINTERNET request, const std::wstring& url);

private:
    struct Kept {
        std::wstring header;
        unsigned epoch = 0;
        ULONGLONG at = 0;
    };

    std::mutex lock_;
    std::map<std::wstring, Kept> kept_;  // by folder
    std::atomic<unsigned> epoch_{0};
};

}  // namespace Http
