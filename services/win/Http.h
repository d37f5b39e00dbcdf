#pragma once
// HTTP over WinINet with one Internet session for the whole process, so the login's cookies go with every
// later request. Nothing from the site is cached. Every byte from the network is taken as hostile: each
// transfer has limits of size and time that hold whatever the server sends, or how slowly.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "BackgroundTask.h"

namespace Http {

// WinINet's per-call time-outs: each bounds one socket operation, not the whole answer.
struct Timeouts {
    DWORD connectMs;
    DWORD sendMs;
    DWORD receiveMs;
    [[nodiscard]] constexpr DWORD Total() const { return connectMs + sendMs + receiveMs; }
};

// BadAddress: the address, or that of a redirect, broke the address rules; nothing was sent there.
// Redirects: more redirects than a transfer follows. TimedOut: the exchange ran past its deadline and was closed.
enum class Failure { None, BadAddress, Redirects, Connect, Send, Read, CutShort, Aborted, Sink, TimedOut };

struct [[nodiscard]] Result {
    Failure failure = Failure::Connect;
    DWORD status = 0;
    std::uint64_t received = 0;
    std::wstring retryAfter;  // an answer's Retry-After, kept for the statuses that are tried again
    [[nodiscard]] bool Ok() const { return failure == Failure::None; }
    [[nodiscard]] bool Success() const { return Ok() && status >= 200 && status < 300; }
};

// Receives the body in pieces as they arrive; returning false stops the transfer.
using Sink = std::function<bool(const char* data, size_t size)>;
// Told the status and the announced length, if any, once the answer's header is in; returning false stops
// the transfer before its body.
using HeadSink = std::function<bool(DWORD status, std::optional<std::uint64_t> length)>;

// Collects a body into `body`; stops the transfer past `limitBytes` or, when `limitMs` is not 0, once that
// much time has passed since the first chunk.
Sink Collect(std::string* body, size_t limitBytes, ULONGLONG limitMs);

// Judges the host of every hop, exactly as it goes to the connection, before anything is sent there.
using HostGuard = bool (*)(std::wstring_view host);

// The address rules: no host that is this machine (by an IP literal or by one of its names), a private network,
// a link or an intranet name.
bool AllowedHost(std::wstring_view host);

// Whether a transfer that ended with `result` failed for a passing reason, which another try may not meet: no
// connection, one dropped or cut before the answer was whole, a body or header stalled past the receive
// time-out, a 5xx or 429 answer. Never a refused address, too many redirects, the transfer's own deadline, its
// sink's refusal of a 2xx body or any other answer.
[[nodiscard]] bool FailedInPassing(const Result& result);
// After `triesMade` tries, the last of which failed in passing: pauses as the retry rules say (the answer's
// Retry-After honoured) and answers whether another try starts. None does once the task is given up or out of
// time, or, while it pauses or before, once `stop` is set (a null `stop` never is).
[[nodiscard]] bool TryAgain(const Result& result, int triesMade, TaskControl& control,
                            const std::atomic<bool>* stop = nullptr);

// Redirects a transfer follows before it fails.
inline constexpr int kMaxRedirects = 5;

struct Request {
    const wchar_t* method = L"GET";
    std::wstring url;
    std::string_view body;
    const wchar_t* headers = nullptr;
    Timeouts timeouts{10000, 10000, 20000};
    HostGuard allowHost = &AllowedHost;
    // Runs on the worker whenever the request is about to wait for the server (for its answer, on every hop, or
    // for more of the body): work that does not depend on what comes next is done meanwhile. It must not throw.
    // Under Wine, work that asks the Wine server much (making a file, say) slows the request it overlaps.
    std::function<void()> whileWaiting = nullptr;
    // For requests that go out in numbers (the photos of an album): the session's cookies come from the store's
    // answer for the server's folder, kept a few seconds and asked again after any other request, instead of the
    // platform's own lookup per request (under Wine a search of its cache files for every parent domain and
    // folder, about a millisecond a request). The cookies an answer sets are stored as the platform stores them.
    // What goes out is what the store answers for the photo's address; only a cookie scoped to the file itself,
    // which that answer leaves out too, stays home.
    bool keptCookies = false;
};

// One request on the calling thread, ended by `control`'s limits or its give-up (without `control`, by the
// time-outs added up). It returns only once the platform has let go of the request (its last notice), so its
// connection is gone when it failed, or at most its receive time-out later (the platform ends a pending receive
// only then). Characters outside ASCII in an address go as UTF-8 percent-escapes, as browsers send them. Redirects are followed here, at most kMaxRedirects, each hop judged by the address
// rules (http or https, no blank or control character, a host `allowHost` takes) before anything is sent
// there; 301, 302 and 303 turn a post into a GET without a body. `control` gets a sign of life per piece. The
// body is read in pieces of what has arrived, all of it up to 256 KB a piece. A body shorter than its
// Content-Length, or a chunked one whose connection closed before its last chunk, fails with CutShort; one with
// neither is as complete as its server says. Connect handles are kept per scheme, host, port and time-outs for
// later requests; the address rules judge every hop before it is connected, kept handle or not.
Result Perform(const Request& request, const HeadSink& head, const Sink& sink, TaskControl* control);

inline constexpr Timeouts kLoginTimeouts{10000, 10000, 20000};

// The login post. The calling thread blocks until the answer is in, but for one attempt's deadline at most
// (the time-outs added up): then the request is closed and the result is TimedOut, with the status and the
// part of the answer that had arrived.
Result PostForm(const std::wstring& url, std::string_view body, std::string* response,
                const Timeouts& timeouts = kLoginTimeouts, HostGuard allowHost = &AllowedHost);

struct Page {
    DWORD status = 0;
    std::wstring text;
};

// An album page fails after a minute without progress, and five minutes after it was asked for. A page that
// failed in passing is asked for again, as the retry rules say, within those limits.
inline constexpr TaskLimits kPageLimits{5 * 60 * 1000, 60 * 1000};

// GET and decode, waiting with window messages processed. nullopt on a failed transfer, past `limits`, when
// `canceller` gave it up, or when the program quits during the wait.
[[nodiscard]] std::optional<Page> FetchHTML(const std::wstring& url, const std::wstring& charset,
                                            TaskLimits limits = kPageLimits, TaskCanceller* canceller = nullptr,
                                            HostGuard allowHost = &AllowedHost);

// GET whose answer nobody waits for: it runs on the pool and ends on its own time-outs.
void SendAndForget(const std::wstring& url);

}  // namespace Http
