#include "Http.h"

#include <atomic>
#include <cstdint>
#include <cwctype>
#include <memory>
#include <new>
#include <vector>

#include "FormEncoding.h"
#include "Handles.h"

namespace Http {
namespace {

constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI;
constexpr DWORD kPageIdleLimitMs = 60000;
constexpr size_t kChunk = 64 * 1024;
// Far above any real page or login answer: a server sending without end fails the transfer instead of
// filling the memory.
constexpr size_t kPageLimitBytes = 64u << 20;
constexpr size_t kLoginAnswerLimitBytes = 4u << 20;
// A probe's answer is read only to end the request cleanly.
constexpr size_t kProbeLimitBytes = 1u << 20;

// What the status callback saw of one request. The callback keeps a reference of its own until the handle's
// last notice, which may come on another thread after the transfer was given up.
struct Watch {
    std::atomic<bool> connectionClosed{false};
};
using WatchRef = std::shared_ptr<Watch>;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void*, DWORD) noexcept {
    auto* ref = reinterpret_cast<WatchRef*>(context);
    if (!ref) return;
    if (status == INTERNET_STATUS_CONNECTION_CLOSED) (*ref)->connectionClosed.store(true);
    if (status == INTERNET_STATUS_HANDLE_CLOSING) delete ref;
}

struct SessionHandle {
    UniqueInternet handle;
    bool watched = false;  // the status callback is in place
};

// One session for the process: WinINet keeps cookies per process, and one session keeps its connections.
// It lasts until the process ends, never torn down with the other statics: a transfer that was given up on
// may still be working on it while the program exits.
const SessionHandle& Session() {
    static const SessionHandle* const session = [] {
        auto* s = new SessionHandle;
        s->handle.Reset(InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Verdaly)",
                                      INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        s->watched =
            s->handle && InternetSetStatusCallbackW(s->handle.Get(), &OnStatus) != INTERNET_INVALID_STATUS_CALLBACK;
        return s;
    }();
    return *session;
}

void SetTimeouts(HINTERNET handle, const Timeouts& t) {
    // Wine honours send and receive time-outs only on connect and request handles, not on the session, and
    // only as they stand when the request is sent.
    DWORD connect = t.connectMs, send = t.sendMs, receive = t.receiveMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

std::wstring HeaderText(HINTERNET request, DWORD info) {
    wchar_t buffer[256] = {};
    DWORD size = sizeof(buffer);
    if (!HttpQueryInfoW(request, info, buffer, &size, nullptr)) return {};
    std::wstring text(buffer);
    for (auto& ch : text) ch = static_cast<wchar_t>(towlower(ch));
    return text;
}

std::optional<std::uint64_t> ContentLength(HINTERNET request) {
    const std::wstring text = HeaderText(request, HTTP_QUERY_CONTENT_LENGTH);
    wchar_t* end = nullptr;
    const unsigned long long value = wcstoull(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str()) return std::nullopt;
    return value;
}

// Whether the server said it closes the connection after this answer, so that a close proves nothing.
bool AnnouncesClose(HINTERNET request) {
    const std::wstring connection = HeaderText(request, HTTP_QUERY_CONNECTION);
    if (connection.find(L"close") != std::wstring::npos) return true;
    return HeaderText(request, HTTP_QUERY_VERSION) == L"http/1.0" &&
           connection.find(L"keep-alive") == std::wstring::npos;
}

// The request handle of one transfer, lent to the waiting side while there is one.
class RequestHandle {
public:
    RequestHandle(UniqueInternet request, TaskControl* control) noexcept : control_(control) {
        if (control_) {
            handle_ = control_->Lend(std::move(request));
        } else {
            own_ = std::move(request);
            handle_ = own_.Get();
        }
    }
    RequestHandle(const RequestHandle&) = delete;
    RequestHandle& operator=(const RequestHandle&) = delete;
    ~RequestHandle() { Close(); }

    [[nodiscard]] HINTERNET Get() const noexcept { return handle_; }
    void Close() noexcept {
        if (control_) control_->CloseLent();
        own_.Reset();
    }

private:
    TaskControl* control_;
    UniqueInternet own_;
    HINTERNET handle_ = nullptr;
};

}  // namespace

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
    Result result;
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    parts.dwSchemeLength = 1;
    if (!InternetCrackUrlW(r.url.c_str(), static_cast<DWORD>(r.url.size()), 0, &parts) || parts.dwHostNameLength == 0 ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        result.failure = Failure::BadAddress;
        return result;
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    const SessionHandle& session = Session();
    if (!session.handle) return result;
    UniqueInternet connection(InternetConnectW(session.handle.Get(), host.c_str(), parts.nPort, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return result;
    SetTimeouts(connection.Get(), r.timeouts);

    const auto watch = std::make_shared<Watch>();
    auto context = session.watched ? std::make_unique<WatchRef>(watch) : nullptr;
    const wchar_t* accept[] = {L"*/*", nullptr};
    const DWORD flags = kRequestFlags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    UniqueInternet opened(HttpOpenRequestW(connection.Get(), r.method, path.c_str(), nullptr, nullptr, accept, flags,
                                           reinterpret_cast<DWORD_PTR>(context.get())));
    if (!opened) return result;
    context.release();  // the callback frees it with the handle's last notice
    SetTimeouts(opened.Get(), r.timeouts);
    RequestHandle request(std::move(opened), control);
    const auto failed = [&](Failure why) {
        result.failure = control && control->Abandoned() ? Failure::Aborted : why;
        return result;
    };
    if (!request.Get()) return failed(Failure::Aborted);

    if (!HttpSendRequestW(request.Get(), r.headers, r.headers ? static_cast<DWORD>(-1) : 0,
                          const_cast<char*>(r.body.data()), static_cast<DWORD>(r.body.size()))) {
        return failed(GetLastError() == ERROR_INTERNET_TIMEOUT ? Failure::Send : Failure::Connect);
    }
    if (control) control->Touch();
    // Only a close from here on says something about this answer; one before it ended a redirect, say.
    watch->connectionClosed.store(false);

    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
        return failed(Failure::Read);
    }
    result.status = status;
    const auto expected = ContentLength(request.Get());
    if (head && !head(status, expected)) return failed(Failure::Sink);
    const bool chunked = HeaderText(request.Get(), HTTP_QUERY_TRANSFER_ENCODING).find(L"chunked") != std::wstring::npos;
    const bool closeAnnounced = AnnouncesClose(request.Get());

    std::vector<char> buffer(kChunk);
    for (;;) {
        if (control && control->Abandoned()) return failed(Failure::Aborted);
        // Only the wait for data blocks; the read then takes no more than has arrived, so it returns at once
        // and the sink sees each piece as it comes.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request.Get(), &available, 0, 0)) return failed(Failure::Read);
        if (available == 0) break;
        DWORD read = 0;
        const DWORD want = available < buffer.size() ? available : static_cast<DWORD>(buffer.size());
        if (!InternetReadFile(request.Get(), buffer.data(), want, &read)) return failed(Failure::Read);
        if (read == 0) break;
        result.received += read;
        if (control) control->Touch();
        if (sink && !sink(buffer.data(), read)) return failed(Failure::Sink);
    }
    // Ending the request closes a connection that cannot serve another one. A cut connection often reads like
    // a normal end of data: a body short of its length is cut, and so is a chunked one whose connection went
    // although its server meant to keep it (WinINet drops a connection that ended before the last chunk).
    request.Close();
    const bool cut =
        (expected && result.received < *expected) || (chunked && !closeAnnounced && watch->connectionClosed.load());
    result.failure = cut ? Failure::CutShort : Failure::None;
    return result;
}

Result PostForm(const std::wstring& url, std::string_view body, std::string* response, const Timeouts& timeouts) {
    // A worker given up on may still write while the waiting side reads what arrived: both under the lock.
    struct Shared {
        SRWLOCK lock = SRWLOCK_INIT;
        DWORD status = 0;
        std::string answer;
        Result result;
    };
    auto shared = std::make_shared<Shared>();
    const TaskOutcome outcome = RunBlocking(
        [shared, url, body = std::string(body), timeouts](TaskControl& control) {
            const Sink collect = Collect(&shared->answer, kLoginAnswerLimitBytes, 0);
            const Result result = Perform(
                Request{L"POST", url, body, L"CONTENT-TYPE: application/x-www-form-urlencoded\r\n", timeouts},
                [shared](DWORD status, std::optional<std::uint64_t>) {
                    AcquireSRWLockExclusive(&shared->lock);
                    shared->status = status;
                    ReleaseSRWLockExclusive(&shared->lock);
                    return true;
                },
                [shared, &collect](const char* data, size_t size) {
                    AcquireSRWLockExclusive(&shared->lock);
                    const bool more = collect(data, size);
                    ReleaseSRWLockExclusive(&shared->lock);
                    return more;
                },
                &control);
            shared->result = result;  // read only once this worker has ended
        },
        timeouts.Total());

    Result result;
    AcquireSRWLockExclusive(&shared->lock);
    if (outcome == TaskOutcome::Done) {
        result = shared->result;
    } else if (outcome == TaskOutcome::TimedOut) {
        result.failure = Failure::TimedOut;
        result.status = shared->status;
        result.received = shared->answer.size();
    }
    if (response) *response = shared->answer;
    ReleaseSRWLockExclusive(&shared->lock);
    return result;
}

std::optional<Page> FetchHTML(const std::wstring& url, const std::wstring& charset) {
    struct Shared {
        std::string body;
        Result result;
    };
    auto shared = std::make_shared<Shared>();
    const TaskOutcome outcome = RunWhilePumping(
        [shared, url](TaskControl& control) {
            static constexpr Timeouts kPageTimeouts{10000, 10000, kPageIdleLimitMs};
            shared->result = Perform(Request{L"GET", url, {}, nullptr, kPageTimeouts}, nullptr,
                                     Collect(&shared->body, kPageLimitBytes, 0), &control);
        },
        kPageIdleLimitMs, Deadline::SinceProgress);
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
