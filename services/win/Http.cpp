#include "Http.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwctype>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "services/AddressGuard.h"
#include "services/FormEncoding.h"
#include "winmsg/win/Handles.h"

namespace Http {
namespace {

constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_AUTO_REDIRECT;
// The most one read takes: a whole photo of the usual size.
constexpr DWORD kReadBytes = 256 * 1024;
// Connect handles kept for later requests: the servers of one album and its pages, with room to spare.
constexpr size_t kKeptConnections = 8;
// How long the cookie store's answer for a folder serves requests there, unless another request came between;
// the folders whose answers are kept.
constexpr ULONGLONG kCookiesFreshMs = 10000;
constexpr size_t kKeptCookieFolders = 64;
// How long a worker that gave up waits for the platform to let go of the request: a call blocked in the socket
// ends with the next byte or its time-out. Less than the waiting side's wind-up, which covers it.
constexpr DWORD kLastNoticeMs = 2500;
// Far above any real page or login answer: a server sending without end fails the transfer instead of
// filling the memory.
constexpr size_t kPageLimitBytes = 64u << 20;
constexpr size_t kLoginAnswerLimitBytes = 4u << 20;
// A probe's answer is read only to end the request cleanly.
constexpr size_t kProbeLimitBytes = 1u << 20;

// One request's link with the status callback. Asynchronous calls finish on the platform's own threads, maybe
// after the transfer was given up: whatever such a call writes lives here, and the callback keeps a reference
// until the handle's last notice.
struct Exchange {
    std::atomic<bool> connectionClosed{false};
    std::shared_ptr<TaskBell> bell;                // rung by every notice below
    std::atomic<unsigned> completions{0};          // calls the platform finished late
    std::atomic<bool> closed{false};               // the handle's last notice came
    std::atomic<DWORD> error{ERROR_SUCCESS};
    std::string body;                  // what the request sends
    std::wstring headers;              // and its headers
    std::unique_ptr<char[]> buffer;    // where reads land
    INTERNET_BUFFERSW read{};          // a read's request and, should the platform finish it late, its answer
    DWORD count = 0;                   // bytes available, as a late call reports them
};
using ExchangeRef = std::shared_ptr<Exchange>;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD) noexcept {
    auto* ref = reinterpret_cast<ExchangeRef*>(context);
    if (!ref) return;
    switch (status) {
        case INTERNET_STATUS_CONNECTION_CLOSED: (*ref)->connectionClosed.store(true); break;
        case INTERNET_STATUS_REQUEST_COMPLETE: {
            const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
            (*ref)->error.store(result && !result->dwResult ? result->dwError : ERROR_SUCCESS);
            ++(*ref)->completions;
            (*ref)->bell->Ring();
            break;
        }
        case INTERNET_STATUS_HANDLE_CLOSING:
            (*ref)->closed.store(true);
            (*ref)->bell->Ring();
            delete ref;
            break;
        default: break;
    }
}

// One session for the process: WinINet keeps cookies per process, and one session keeps its connections.
// Asynchronous, so that a worker waits for its calls together with its deadline and never blocks inside one.
// It lasts until the process ends, never torn down with the other statics: a call that was given up on may
// still be finishing on it while the program exits.
HINTERNET Session() {
    static const HINTERNET session = [] {
        HINTERNET s = InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Verdaly)",
                                    INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
        if (s && InternetSetStatusCallbackW(s, &OnStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
            InternetCloseHandle(s);
            s = nullptr;  // without the callback no asynchronous call could be waited for
        }
        return s;
    }();
    return session;
}

void SetTimeouts(HINTERNET handle, const Timeouts& t) {
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

// A header's whole text; empty when absent.
std::wstring HeaderText(HINTERNET request, DWORD info) {
    std::wstring text(127, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        if (HttpQueryInfoW(request, info, text.data(), &size, nullptr)) {
            text.resize(size / sizeof(wchar_t));
            return text;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        text.resize(size / sizeof(wchar_t));
    }
}

std::wstring Lowered(std::wstring text) {
    for (auto& ch : text) ch = static_cast<wchar_t>(towlower(ch));
    return text;
}

std::optional<std::uint64_t> ContentLength(HINTERNET request) {
    std::uint64_t value = 0;
    DWORD size = sizeof(value);
    if (HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER64, &value, &size, nullptr))
        return value;
    // Read as text where the number is not offered: digits only, and no more than fit.
    const std::wstring text = HeaderText(request, HTTP_QUERY_CONTENT_LENGTH);
    if (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring::npos) return std::nullopt;
    const std::wstring digits = text.substr(std::min(text.find_first_not_of(L'0'), text.size() - 1));
    if (digits.size() > 19) return std::nullopt;
    return std::stoull(digits);
}

// Whether the server said it closes the connection after this answer, so that a close proves nothing.
bool AnnouncesClose(HINTERNET request) {
    const std::wstring connection = Lowered(HeaderText(request, HTTP_QUERY_CONNECTION));
    if (connection.find(L"close") != std::wstring::npos) return true;
    return Lowered(HeaderText(request, HTTP_QUERY_VERSION)) == L"http/1.0" &&
           connection.find(L"keep-alive") == std::wstring::npos;
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool HasBlankOrControl(std::wstring_view url) {
    return std::any_of(url.begin(), url.end(),
                       [](wchar_t c) { return c <= L' ' || c == 0x7F || (c >= 0x80 && c < 0xA0); });
}

// Where one hop goes: the host exactly as the connection gets it.
struct Target {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;
};

std::optional<Target> Crack(const std::wstring& url) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    parts.dwSchemeLength = 1;
    if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) || !parts.lpszHostName ||
        parts.dwHostNameLength == 0 || (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return std::nullopt;
    Target target;
    target.scheme = parts.nScheme;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    if (parts.lpszUrlPath) target.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) target.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.path.empty()) target.path = L"/";
    return target;
}

// The next hop's address: a Location resolved against the address it came from.
std::optional<std::wstring> Resolve(const std::wstring& base, const std::wstring& location) {
    std::wstring out(512, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(out.size());
        if (InternetCombineUrlW(base.c_str(), location.c_str(), out.data(), &size, ICU_NO_ENCODE)) {
            out.resize(size);
            return out;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
        out.resize(static_cast<size_t>(size) + 1);
    }
    return std::nullopt;
}

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

// A worker's view of one request: it alone calls anything on the handle, and waits for each call that the
// platform finishes later together with the task's deadline and give-up. Closing the handle ends the request.
class Call {
public:
    Call(TaskControl& task, ExchangeRef exchange) : task_(task), exchange_(std::move(exchange)) {}

    // Why a call failed, after one did.
    [[nodiscard]] Failure Why(Failure failure) const noexcept {
        if (task_.Abandoned()) return Failure::Aborted;
        return expired_ ? Failure::TimedOut : failure;
    }
    [[nodiscard]] HINTERNET Handle() const noexcept { return request_.Get(); }
    void Adopt(UniqueInternet request) noexcept { request_ = std::move(request); }
    // Ends the request. A call the platform is still finishing holds its connection until then: waiting for the
    // handle's last notice means the socket is gone when the task ends, as far as the platform lets it go.
    void Close() noexcept {
        if (!request_) return;
        TaskBell& bell = *exchange_->bell;
        std::uint64_t seen = bell.Rings();
        request_.Reset();
        const ULONGLONG end = GetTickCount64() + kLastNoticeMs;
        for (ULONGLONG now = GetTickCount64(); !exchange_->closed.load() && now < end; now = GetTickCount64()) {
            bell.WaitPast(seen, static_cast<DWORD>(end - now));
            seen = bell.Rings();
        }
    }

    // Completes a call that may finish later; false when it failed, or when the deadline or a give-up came
    // first (the request is closed then, and nothing more is called on it). `meanwhile` runs before the wait for
    // a call the platform finishes later.
    bool Complete(BOOL ok, const std::function<void()>& meanwhile = {}) noexcept {
        if (ok) return true;
        if (GetLastError() != ERROR_IO_PENDING) return false;
        if (meanwhile) meanwhile();
        TaskBell& bell = *exchange_->bell;
        for (;;) {
            // Read before the conditions: a ring after them ends the wait at once.
            const std::uint64_t seen = bell.Rings();
            if (exchange_->completions.load() != expected_) return exchange_->error.load() == ERROR_SUCCESS;
            const DWORD left = task_.RemainingMs();
            if (task_.Abandoned() || left == 0) {
                expired_ = !task_.Abandoned();
                Close();
                return false;
            }
            bell.WaitPast(seen, left);
        }
    }
    // Prepares for a call: only a completion after this counts for it.
    Exchange& Next() noexcept {
        expected_ = exchange_->completions.load();
        exchange_->error.store(ERROR_SUCCESS);
        return *exchange_;
    }
    [[nodiscard]] bool Over() const noexcept { return task_.Abandoned() || task_.RemainingMs() == 0; }
    void MarkExpired() noexcept { expired_ = !task_.Abandoned(); }

private:
    TaskControl& task_;
    ExchangeRef exchange_;
    UniqueInternet request_;
    unsigned expected_ = 0;
    bool expired_ = false;
};

}  // namespace

bool AllowedHost(std::wstring_view host) {
    return AddressGuard::IsAllowedHost(host);
}

Sink Collect(std::string* body, size_t limitBytes, ULONGLONG limitMs) {
    return [body, limitBytes, limitMs, start = ULONGLONG{0}](const char* data, size_t size) mutable {
        const ULONGLONG now = GetTickCount64();
        if (start == 0) start = now;
        if (body->size() + size > limitBytes) return false;
        if (limitMs != 0 && now - start >= limitMs) return false;
        body->append(data, size);
        return true;
    };
}

Result Perform(const Request& r, const HeadSink& head, const Sink& sink, TaskControl* control) {
    TaskControl own(TaskLimits{r.timeouts.Total(), INFINITE});
    TaskControl& task = control ? *control : own;
    Result result;
    const HINTERNET session = Session();
    if (!session || !task.Ready()) return result;

    std::wstring url = r.url;
    const wchar_t* method = r.method;
    std::string_view sent = r.body;
    const wchar_t* headers = r.headers;
    // An answer the platform reads may set cookies: the kept ones are stale then. One this request gives up on
    // before its header was looked at may still be read, and may set some.
    struct StoreWatch {
        bool unread = false;
        ~StoreWatch() {
            if (unread) KeptCookies::Instance().Changed();
        }
    } watch;
    for (int hop = 0;; ++hop) {
        // Every hop is judged where it is connected to, by the host the connection gets.
        const auto target = HasBlankOrControl(url) ? std::nullopt : Crack(url);
        if (!target || !r.allowHost || !r.allowHost(target->host)) {
            result.failure = Failure::BadAddress;
            return result;
        }
        const KeptConnections::Ref connection =
            KeptConnections::Instance().Get(session, target->scheme, target->host, target->port, r.timeouts);
        if (!connection) return result;

        auto exchange = std::make_shared<Exchange>();
        exchange->bell = task.Bell();
        exchange->body.assign(sent);
        if (headers) exchange->headers = headers;
        if (r.keptCookies) exchange->headers += KeptCookies::Instance().Header(url);
        exchange->buffer.reset(new char[kReadBytes]);
        auto context = std::make_unique<ExchangeRef>(exchange);
        const wchar_t* accept[] = {L"*/*", nullptr};
        const DWORD flags = kRequestFlags | (target->scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0) |
                            (r.keptCookies ? INTERNET_FLAG_NO_COOKIES : 0);
        Call call(task, exchange);
        call.Adopt(UniqueInternet(HttpOpenRequestW(connection->Get(), method, target->path.c_str(), nullptr, nullptr,
                                                   accept, flags, reinterpret_cast<DWORD_PTR>(context.get()))));
        if (!call.Handle()) return result;
        context.release();  // the callback frees it with the handle's last notice
        SetTimeouts(call.Handle(), r.timeouts);
        if (call.Over()) {
            call.MarkExpired();
            result.failure = call.Why(Failure::Aborted);
            return result;
        }

        Exchange& x = call.Next();
        watch.unread = !r.keptCookies;
        if (!call.Complete(HttpSendRequestW(call.Handle(), x.headers.empty() ? nullptr : x.headers.c_str(),
                                            static_cast<DWORD>(x.headers.size()),
                                            x.body.empty() ? nullptr : x.body.data(),
                                            static_cast<DWORD>(x.body.size())),
                           r.whileWaiting)) {
            const DWORD error = call.Handle() ? x.error.load() : ERROR_SUCCESS;
            const DWORD last = error != ERROR_SUCCESS ? error : GetLastError();
            result.failure = call.Why(last == ERROR_INTERNET_TIMEOUT ? Failure::Send : Failure::Connect);
            return result;
        }
        task.Touch();
        // Only a close from here on says something about this answer; one before it ended a redirect, say.
        exchange->connectionClosed.store(false);
        if (r.keptCookies) {
            KeptCookies::Instance().StoreFrom(call.Handle(), url);
        } else {
            KeptCookies::Instance().Read(call.Handle());
            watch.unread = false;
        }

        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!HttpQueryInfoW(call.Handle(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                            nullptr)) {
            result.failure = call.Why(Failure::Read);
            return result;
        }
        result.status = status;
        if (IsRedirect(status)) {
            const std::wstring location = HeaderText(call.Handle(), HTTP_QUERY_LOCATION);
            if (!location.empty()) {
                if (hop == kMaxRedirects) {
                    result.failure = Failure::Redirects;
                    return result;
                }
                const auto next = Resolve(url, location);
                if (!next) {
                    result.failure = Failure::BadAddress;
                    return result;
                }
                url = *next;
                // A redirect that says "see other" or comes from the older codes asks again with a GET.
                if (status != 307 && status != 308 && _wcsicmp(method, L"GET") != 0) {
                    method = L"GET";
                    sent = {};
                    headers = nullptr;
                }
                continue;  // this hop's request closes with `call`
            }
        }

        const auto expected = ContentLength(call.Handle());
        if (head && !head(status, expected)) {
            result.failure = call.Why(Failure::Sink);
            return result;
        }
        const bool chunked =
            Lowered(HeaderText(call.Handle(), HTTP_QUERY_TRANSFER_ENCODING)).find(L"chunked") != std::wstring::npos;
        const bool closeAnnounced = AnnouncesClose(call.Handle());

        for (;;) {
            if (call.Over()) {
                call.MarkExpired();
                result.failure = call.Why(Failure::Aborted);
                return result;
            }
            // A read takes what has arrived, as much as there is, and never waits for more: the sink sees each
            // piece as it comes. Where nothing has arrived the platform may wait for data before it answers; the
            // data then waits in its own buffer for the next read.
            Exchange& rd = call.Next();
            rd.read = {};
            rd.read.dwStructSize = sizeof(rd.read);
            rd.read.lpvBuffer = rd.buffer.get();
            rd.read.dwBufferLength = kReadBytes;
            const BOOL done = InternetReadFileExW(call.Handle(), &rd.read, IRF_NO_WAIT, 0);
            const bool late = !done && GetLastError() == ERROR_IO_PENDING;
            if (!call.Complete(done, r.whileWaiting)) {
                result.failure = call.Why(Failure::Read);
                return result;
            }
            // Such a read ends late only where nothing had arrived; Wine then waits for data, leaves it in its own
            // buffer and the length as it was asked. A platform that read something late says how much.
            const DWORD got = late && rd.read.dwBufferLength == kReadBytes ? 0 : rd.read.dwBufferLength;
            if (late && got == 0) continue;
            if (got == 0) {
                // Nothing at hand, or the end: the amount available tells them apart, after a wait if need be. A
                // late answer's amount is not told: the next read finds the data, or the end, at hand.
                Exchange& q = call.Next();
                q.count = 0;
                const BOOL asked = InternetQueryDataAvailable(call.Handle(), &q.count, 0, 0);
                const bool waited = !asked && GetLastError() == ERROR_IO_PENDING;
                if (!call.Complete(asked, r.whileWaiting)) {
                    result.failure = call.Why(Failure::Read);
                    return result;
                }
                if (!waited && q.count == 0) break;
                continue;
            }
            result.received += got;
            task.Touch();
            if (sink && !sink(rd.buffer.get(), got)) {
                result.failure = call.Why(Failure::Sink);
                return result;
            }
            // All the length announced is here: asking for the end would cost a call and gain nothing.
            if (expected && result.received >= *expected) break;
        }
        // Ending the request closes a connection that cannot serve another one. A cut connection often reads
        // like a normal end of data: a body short of its length is cut, and so is a chunked one whose
        // connection went although its server meant to keep it (WinINet drops a connection that ended before
        // the last chunk).
        call.Close();
        const bool cut = (expected && result.received < *expected) ||
                         (chunked && !closeAnnounced && exchange->connectionClosed.load());
        result.failure = cut ? Failure::CutShort : Failure::None;
        return result;
    }
}

Result PostForm(const std::wstring& url, std::string_view body, std::string* response, const Timeouts& timeouts,
                HostGuard allowHost) {
    // A worker given up on may still write while the waiting side reads what arrived: both under the lock.
    struct Shared {
        std::mutex lock;
        DWORD status = 0;
        std::string answer;
        Result result;
    };
    auto shared = std::make_shared<Shared>();
    const TaskOutcome outcome = RunBlocking(
        [shared, url, body = std::string(body), timeouts, allowHost](TaskControl& control) {
            const Sink collect = Collect(&shared->answer, kLoginAnswerLimitBytes, 0);
            Request request{L"POST", url, body, L"CONTENT-TYPE: application/x-www-form-urlencoded\r\n", timeouts};
            request.allowHost = allowHost;
            const Result result = Perform(
                request,
                [shared](DWORD status, std::optional<std::uint64_t>) {
                    const std::lock_guard<std::mutex> hold(shared->lock);
                    shared->status = status;
                    return true;
                },
                [shared, &collect](const char* data, size_t size) {
                    const std::lock_guard<std::mutex> hold(shared->lock);
                    return collect(data, size);
                },
                &control);
            shared->result = result;  // read only once this worker has ended
        },
        timeouts.Total());

    Result result;
    const std::lock_guard<std::mutex> hold(shared->lock);
    if (outcome == TaskOutcome::Done) {
        result = shared->result;
    } else if (outcome == TaskOutcome::TimedOut) {
        result.failure = Failure::TimedOut;
        result.status = shared->status;
        result.received = shared->answer.size();
    }
    if (response) *response = shared->answer;
    return result;
}

std::optional<Page> FetchHTML(const std::wstring& url, const std::wstring& charset, TaskLimits limits,
                              TaskCanceller* canceller, HostGuard allowHost) {
    struct Shared {
        std::string body;
        Result result;
    };
    auto shared = std::make_shared<Shared>();
    const TaskOutcome outcome = RunWhilePumping(
        [shared, url, limits, allowHost](TaskControl& control) {
            // WinINet's own receive time-out is the idle limit; the task's limits end the rest.
            const Timeouts timeouts{10000, 10000, limits.idleMs};
            Request request{L"GET", url, {}, nullptr, timeouts};
            request.allowHost = allowHost;
            shared->result = Perform(request, nullptr, Collect(&shared->body, kPageLimitBytes, 0), &control);
        },
        limits, canceller);
    if (outcome != TaskOutcome::Done || !shared->result.Ok()) return std::nullopt;

    Page page;
    page.status = shared->result.status;
    if (shared->body.empty()) return page;
    auto text = BytesToText(shared->body, charset);
    if (!text) return std::nullopt;
    page.text = std::move(*text);
    return page;
}

void SendAndForget(const std::wstring& url) {
    (void)RunDetached([url] {
        static constexpr Timeouts kProbeTimeouts{10000, 10000, 20000};
        try {
            size_t left = kProbeLimitBytes;
            (void)Perform(
                Request{L"GET", url, {}, nullptr, kProbeTimeouts}, nullptr,
                [&left](const char*, size_t size) {
                    if (size > left) return false;
                    left -= size;
                    return true;
                },
                nullptr);
        } catch (const std::bad_alloc&) {
            // Nobody waits for this answer, and nobody misses it.
        }
    });
}

std::optional<std::wstring> BytesToText(std::string_view bytes, const std::wstring& charset) {
    UINT codePage = 0;
    if (_wcsicmp(charset.c_str(), L"UTF-8") == 0 || _wcsicmp(charset.c_str(), L"UTF8") == 0) {
        codePage = CP_UTF8;
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    } else if (_wcsicmp(charset.c_str(), L"GBK") == 0 || _wcsicmp(charset.c_str(), L"GB2312") == 0) {
        codePage = 936;
    } else {
        return std::nullopt;
    }
    if (bytes.empty()) return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
    return text;
}

std::wstring URLEncode(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t ch : text) {
        unsigned char bytes[2] = {};
        const int n = WideCharToMultiByte(CP_ACP, 0, &ch, 1, reinterpret_cast<char*>(bytes), 2, nullptr, nullptr);
        int code = '?';
        if (n == 1) code = bytes[0];
        if (n == 2) code = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]));
        out += FormEncoding::EncodeChar(n > 0 ? ch : L'?', code);
    }
    return out;
}

}  // namespace Http
