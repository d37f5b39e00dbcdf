#include "Http.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwctype>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "services/AddressGuard.h"
#include "services/RetryPolicy.h"
#include "services/UrlEscape.h"
#include "winmsg/win/Handles.h"
#include "HttpKept.h"
#include "MachineNames.h"
#include "UrlCrack.h"

namespace Http {
namespace {

constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
// The most one read takes: a whole photo of the usual size.
constexpr DWORD kReadBytes = 256 * 1024;
// How long past its receive time-out a request's end waits for the platform to let go of it: a call blocked in
// the socket ends with the next byte or that time-out.
constexpr DWORD kLastNoticeSlackMs = 1000;

// Read buffers kept between requests: a fresh one per request costs a page fault for every page the body lands
// in, and its return to the system a flush on every core, for every photo. A buffer comes back only with its
// request's last notice, so no late read lands in one that serves another request.
class ReadBuffers {
public:
    static std::unique_ptr<char[]> Take() {
        {
            const std::lock_guard<std::mutex> hold(Kept().lock);
            auto& free = Kept().free;
            if (!free.empty()) {
                std::unique_ptr<char[]> buffer = std::move(free.back());
                free.pop_back();
                return buffer;
            }
        }
        return std::unique_ptr<char[]>(new char[kReadBytes]);
    }
    static void Give(std::unique_ptr<char[]> buffer) noexcept {
        if (!buffer) return;
        try {
            const std::lock_guard<std::mutex> hold(Kept().lock);
            if (Kept().free.size() < kKeptBuffers) Kept().free.push_back(std::move(buffer));
        } catch (...) {
            // not kept: it goes here
        }
    }

private:
    // One per request at a time; a few for the requests that overlap (a photo given up while the next starts).
    static constexpr size_t kKeptBuffers = 3;
    struct Shared {
        std::mutex lock;
        std::vector<std::unique_ptr<char[]>> free;
    };
    // Never torn down with the other statics: a request's last notice may come while the program exits.
    static Shared& Kept() {
        static auto* const kept = new Shared;
        return *kept;
    }
};

// One request's link with the status callback. Asynchronous calls finish on the platform's own threads, maybe
// after the transfer was given up: whatever such a call writes lives here, and the callback keeps a reference
// until the handle's last notice.
struct Exchange {
    std::atomic<bool> connectionClosed{false};
    std::shared_ptr<TaskBell> bell;        // rung by every notice below
    std::atomic<unsigned> completions{0};  // calls the platform finished late
    std::atomic<bool> closed{false};       // the handle's last notice came
    std::atomic<DWORD> error{ERROR_SUCCESS};
    std::string body;                                      // what the request sends
    std::wstring headers;                                  // and its headers
    std::unique_ptr<char[]> buffer = ReadBuffers::Take();  // where reads land
    INTERNET_BUFFERSW read{};  // a read's request and, should the platform finish it late, its answer
    DWORD count = 0;           // bytes available, as a late call reports them

    ~Exchange() { ReadBuffers::Give(std::move(buffer)); }
};
using ExchangeRef = std::shared_ptr<Exchange>;

// The requests the status callback serves, by the context value each handle was given. A pointer handed to the
// platform would have two owners when HttpOpenRequestW fails after its object took the value (its own clean-up
// sends the handle's last notice): an entry here is dropped by whichever comes first, and only once.
class Exchanges {
public:
    static DWORD_PTR Add(ExchangeRef exchange) {
        const std::lock_guard<std::mutex> hold(Kept().lock);
        const DWORD_PTR id = ++Kept().last;
        Kept().live.emplace(id, std::move(exchange));
        return id;
    }
    static ExchangeRef Find(DWORD_PTR id) noexcept {
        const std::lock_guard<std::mutex> hold(Kept().lock);
        const auto it = Kept().live.find(id);
        return it == Kept().live.end() ? nullptr : it->second;
    }
    static void Drop(DWORD_PTR id) noexcept {
        ExchangeRef gone;  // freed outside the lock
        const std::lock_guard<std::mutex> hold(Kept().lock);
        const auto it = Kept().live.find(id);
        if (it == Kept().live.end()) return;
        gone = std::move(it->second);
        Kept().live.erase(it);
    }

private:
    struct Shared {
        std::mutex lock;
        DWORD_PTR last = 0;
        std::unordered_map<DWORD_PTR, ExchangeRef> live;
    };
    // Never torn down with the other statics: a request's last notice may come while the program exits.
    static Shared& Kept() {
        static auto* const kept = new Shared;
        return *kept;
    }
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD) noexcept {
    if (context == 0) return;
    switch (status) {
        case INTERNET_STATUS_CONNECTION_CLOSED:
            if (const ExchangeRef x = Exchanges::Find(context)) x->connectionClosed.store(true);
            break;
        case INTERNET_STATUS_REQUEST_COMPLETE:
            if (const ExchangeRef x = Exchanges::Find(context)) {
                const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
                x->error.store(result && !result->dwResult ? result->dwError : ERROR_SUCCESS);
                ++x->completions;
                x->bell->Ring();
            }
            break;
        case INTERNET_STATUS_HANDLE_CLOSING:
            if (const ExchangeRef x = Exchanges::Find(context)) {
                x->closed.store(true);
                x->bell->Ring();
            }
            Exchanges::Drop(context);
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

// A worker's view of one request: it alone calls anything on the handle, and waits for each call that the
// platform finishes later together with the task's deadline and give-up. Closing the handle ends the request.
class Call {
public:
    Call(TaskControl& task, ExchangeRef exchange, DWORD receiveMs)
        : task_(task), exchange_(std::move(exchange)), lastNoticeMs_(receiveMs + kLastNoticeSlackMs) {}
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    // Whatever way the request ends, nothing else starts before the platform has let go of it.
    ~Call() { Close(); }

    // Why a call failed, after one did.
    [[nodiscard]] Failure Why(Failure failure) const noexcept {
        if (task_.Abandoned()) return Failure::Aborted;
        return expired_ ? Failure::TimedOut : failure;
    }
    [[nodiscard]] HINTERNET Handle() const noexcept { return request_.Get(); }
    void Adopt(UniqueInternet request) noexcept { request_ = std::move(request); }
    // Ends the request. A call the platform is still finishing holds its connection until then: waiting for the
    // handle's last notice means the socket is gone when the task ends. Under Wine a pending receive ends only at
    // its time-out, which bounds this wait.
    void Close() noexcept {
        if (!request_) return;
        TaskBell& bell = *exchange_->bell;
        std::uint64_t seen = bell.Rings();
        request_.Reset();
        const ULONGLONG end = GetTickCount64() + lastNoticeMs_;
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
    DWORD lastNoticeMs_;
    UniqueInternet request_;
    unsigned expected_ = 0;
    bool expired_ = false;
};

// What a hop asks for: the address and, until a redirect turns the request into a GET, its method, body and
// headers.
struct HopRequest {
    std::wstring url;
    const wchar_t* method;
    std::string_view body;
    const wchar_t* headers;
};

// An answer the platform reads may set cookies: the kept ones are stale then. One this request gives up on before
// its header was looked at may still be read, and may set some.
struct CookieWatch {
    bool unread = false;
    CookieWatch() = default;
    CookieWatch(const CookieWatch&) = delete;
    CookieWatch& operator=(const CookieWatch&) = delete;
    ~CookieWatch() {
        if (unread) KeptCookies::Instance().Changed();
    }
};

// What the hops of one transfer share.
struct Transfer {
    Transfer(const Request& r, TaskControl& t) : request(r), task(t), next{r.url, r.method, r.body, r.headers} {}
    const Request& request;
    TaskControl& task;
    HopRequest next;  // a redirect changes it
    Result result;
    CookieWatch watch;
};

// One hop's request. Its connect handle stays until the request has closed: members end in reverse order.
struct Hop {
    Hop(KeptConnections::Ref c, ExchangeRef x, TaskControl& task, DWORD receiveMs)
        : connection(std::move(c)), exchange(std::move(x)), call(task, exchange, receiveMs) {}
    KeptConnections::Ref connection;
    ExchangeRef exchange;
    Call call;
};

// Where a hop goes, judged where it is connected to: by the host the connection gets. nullopt when the address
// rules refuse it; `url` comes back escaped, as it goes out.
std::optional<UrlParts> JudgedTarget(std::wstring& url, HostGuard allowHost) {
    // A control character is judged before escaping, which would hide it.
    if (HasBlankOrControl(url)) return std::nullopt;
    url = EscapeNonAscii(url);
    auto target = CrackUrl(url);
    if (!target || !allowHost || !allowHost(target->host)) return std::nullopt;
    return target;
}

// Connects a hop to `target`, opens its request and sends it; null, with the failure in the result, when that
// failed.
std::unique_ptr<Hop> OpenHop(Transfer& t, HINTERNET session, const UrlParts& target) {
    const Request& r = t.request;
    KeptConnections::Ref connection =
        KeptConnections::Instance().Get(session, target.scheme, target.host, target.port, r.timeouts);
    if (!connection) return nullptr;

    auto hop = std::make_unique<Hop>(std::move(connection), std::make_shared<Exchange>(), t.task, r.timeouts.receiveMs);
    Exchange& exchange = *hop->exchange;
    exchange.bell = t.task.Bell();
    exchange.body.assign(t.next.body);
    if (t.next.headers) exchange.headers = t.next.headers;
    if (r.keptCookies) exchange.headers += KeptCookies::Instance().Header(t.next.url);
    const DWORD_PTR context = Exchanges::Add(hop->exchange);
    const wchar_t* accept[] = {L"*/*", nullptr};
    const DWORD flags = kRequestFlags | (target.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0) |
                        (r.keptCookies ? INTERNET_FLAG_NO_COOKIES : 0);
    Call& call = hop->call;
    call.Adopt(UniqueInternet(HttpOpenRequestW(hop->connection->Get(), t.next.method, target.path.c_str(), nullptr,
                                               nullptr, accept, flags, context)));
    if (!call.Handle()) {
        Exchanges::Drop(context);  // unless the platform's clean-up has already
        return nullptr;
    }
    SetTimeouts(call.Handle(), r.timeouts);
    if (call.Over()) {
        call.MarkExpired();
        t.result.failure = call.Why(Failure::Aborted);
        return nullptr;
    }

    Exchange& x = call.Next();
    t.watch.unread = !r.keptCookies;
    if (!call.Complete(HttpSendRequestW(call.Handle(), x.headers.empty() ? nullptr : x.headers.c_str(),
                                        static_cast<DWORD>(x.headers.size()), x.body.empty() ? nullptr : x.body.data(),
                                        static_cast<DWORD>(x.body.size())),
                       r.whileWaiting)) {
        const DWORD error = call.Handle() ? x.error.load() : ERROR_SUCCESS;
        const DWORD last = error != ERROR_SUCCESS ? error : GetLastError();
        t.result.failure = call.Why(last == ERROR_INTERNET_TIMEOUT ? Failure::Send : Failure::Connect);
        return nullptr;
    }
    t.task.Touch();
    return hop;
}

// Takes in the head of a hop's answer: its cookies, its status and, for a status tried again, its Retry-After.
// False, with the failure in the result, when no answer came.
bool ReadAnswerHead(Transfer& t, Hop& hop) {
    const HINTERNET request = hop.call.Handle();
    // Only a close from here on says something about this answer; one before it ended a redirect, say.
    hop.exchange->connectionClosed.store(false);
    if (t.request.keptCookies) {
        KeptCookies::Instance().StoreFrom(request, t.next.url);
    } else {
        KeptCookies::Instance().Read(request);
        t.watch.unread = false;
    }

    DWORD status = 0;
    DWORD size = sizeof(status);
    // Wine reads a connection closed before any answer as an answer with status 0: it was dropped.
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status < 100) {
        t.result.failure = hop.call.Why(Failure::Read);
        return false;
    }
    t.result.status = status;
    if (Retry::IsPassingStatus(status)) t.result.retryAfter = HeaderText(request, HTTP_QUERY_RETRY_AFTER);
    return true;
}

enum class Redirect { None, Followed, Refused };

// Whether the answer to hop number `hop` sends the transfer on: Followed with the next hop's request in
// `t.next`, Refused with the failure in the result.
Redirect FollowRedirect(Transfer& t, HINTERNET request, int hop) {
    const DWORD status = t.result.status;
    if (!IsRedirect(status)) return Redirect::None;
    const std::wstring location = HeaderText(request, HTTP_QUERY_LOCATION);
    if (location.empty()) return Redirect::None;
    if (hop == kMaxRedirects) {
        t.result.failure = Failure::Redirects;
        return Redirect::Refused;
    }
    const auto next = Resolve(t.next.url, location);
    if (!next) {
        t.result.failure = Failure::BadAddress;
        return Redirect::Refused;
    }
    t.next.url = *next;
    // A redirect that says "see other" or comes from the older codes asks again with a GET.
    if (status != 307 && status != 308 && _wcsicmp(t.next.method, L"GET") != 0) {
        t.next.method = L"GET";
        t.next.body = {};
        t.next.headers = nullptr;
    }
    return Redirect::Followed;
}

// Hands the body to `sink` piece by piece until its end, or until all of the `expected` length is in. False,
// with the failure in the result, when the transfer ends before.
bool ReadPieces(Transfer& t, Call& call, const Sink& sink, std::optional<std::uint64_t> expected) {
    for (;;) {
        if (call.Over()) {
            call.MarkExpired();
            t.result.failure = call.Why(Failure::Aborted);
            return false;
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
        if (!call.Complete(done, t.request.whileWaiting)) {
            t.result.failure = call.Why(Failure::Read);
            return false;
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
            if (!call.Complete(asked, t.request.whileWaiting)) {
                t.result.failure = call.Why(Failure::Read);
                return false;
            }
            if (!waited && q.count == 0) return true;
            continue;
        }
        t.result.received += got;
        t.task.Touch();
        if (sink && !sink(rd.buffer.get(), got)) {
            t.result.failure = call.Why(Failure::Sink);
            return false;
        }
        // All the length announced is here: asking for the end would cost a call and gain nothing.
        if (expected && t.result.received >= *expected) return true;
    }
}

// Reads the answer's body after its head has gone to `head`, and judges whether it came whole: the outcome in the
// result.
void ReadBody(Transfer& t, Hop& hop, const HeadSink& head, const Sink& sink) {
    Call& call = hop.call;
    const auto expected = ContentLength(call.Handle());
    if (head && !head(t.result.status, expected)) {
        t.result.failure = call.Why(Failure::Sink);
        return;
    }
    const bool chunked =
        Lowered(HeaderText(call.Handle(), HTTP_QUERY_TRANSFER_ENCODING)).find(L"chunked") != std::wstring::npos;
    const bool closeAnnounced = AnnouncesClose(call.Handle());
    if (!ReadPieces(t, call, sink, expected)) return;
    // Ending the request closes a connection that cannot serve another one. A cut connection often reads
    // like a normal end of data: a body short of its length is cut, and so is a chunked one whose
    // connection went although its server meant to keep it (WinINet drops a connection that ended before
    // the last chunk).
    call.Close();
    const bool cut = (expected && t.result.received < *expected) ||
                     (chunked && !closeAnnounced && hop.exchange->connectionClosed.load());
    t.result.failure = cut ? Failure::CutShort : Failure::None;
}

}  // namespace

bool AllowedHost(std::wstring_view host) {
    return AddressGuard::IsAllowedHost(host, MachineNames());
}

bool FailedInPassing(const Result& result) {
    if (result.Success()) return false;
    if (Retry::IsPassingStatus(result.status)) return result.failure != Failure::TimedOut;
    switch (result.failure) {
        case Failure::Connect:
        case Failure::Send:
        case Failure::Read:
        case Failure::CutShort: return true;
        default: return false;
    }
}

bool TryAgain(const Result& result, int triesMade, TaskControl& control, const std::atomic<bool>* stop) {
    if (!FailedInPassing(result) || (stop && stop->load())) return false;
    const DWORD left = control.RemainingMs();
    const auto pause = Retry::PauseMs(triesMade, result.retryAfter, left == INFINITE ? UINT64_MAX : left);
    return pause && control.Rest(*pause, stop);
}

Result Perform(const Request& r, const HeadSink& head, const Sink& sink, TaskControl* control) {
    TaskControl own(TaskLimits{r.timeouts.Total(), INFINITE});
    TaskControl& task = control ? *control : own;
    const HINTERNET session = Session();
    if (!session || !task.Ready()) return Result{};

    Transfer t(r, task);
    for (int hop = 0;; ++hop) {
        const auto target = JudgedTarget(t.next.url, r.allowHost);
        if (!target) {
            t.result.failure = Failure::BadAddress;
            return t.result;
        }
        const std::unique_ptr<Hop> opened = OpenHop(t, session, *target);
        if (!opened || !ReadAnswerHead(t, *opened)) return t.result;
        switch (FollowRedirect(t, opened->call.Handle(), hop)) {
            case Redirect::Followed: continue;  // this hop's request closes with `opened`
            case Redirect::Refused: return t.result;
            case Redirect::None: break;
        }
        ReadBody(t, *opened, head, sink);
        return t.result;
    }
}

}  // namespace Http
