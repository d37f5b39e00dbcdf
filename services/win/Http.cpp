#include "Http.h"

#include <cstdint>
#include <memory>
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
// The login blocks the window, so its answer gets a limit as a whole, not only between two reads.
constexpr ULONGLONG kLoginAnswerLimitMs = 60000;

// One session for the process: WinINet keeps cookies per process, and one session keeps its connections.
// It lasts until the process ends, never torn down with the other statics: a transfer that was given up on
// may still be working on it while the program exits.
HINTERNET Session() {
    static UniqueInternet* const session = new UniqueInternet(InternetOpenW(
        L"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Verdaly)", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    return session->Get();
}

void SetTimeouts(HINTERNET handle, const Timeouts& t) {
    // Wine honours send and receive time-outs only on connect and request handles, not on the session.
    DWORD connect = t.connectMs, send = t.sendMs, receive = t.receiveMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

std::optional<std::uint64_t> ContentLength(HINTERNET request) {
    wchar_t buffer[32] = {};
    DWORD size = sizeof(buffer);
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &size, nullptr)) return std::nullopt;
    wchar_t* end = nullptr;
    const unsigned long long value = wcstoull(buffer, &end, 10);
    if (end == buffer) return std::nullopt;
    return value;
}

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

Result Perform(const wchar_t* method, const std::wstring& url, std::string_view body, const wchar_t* headers,
               const Timeouts& timeouts, const Sink& sink, TaskControl* control) {
    Result result;
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    parts.dwSchemeLength = 1;
    if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) || parts.dwHostNameLength == 0 ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        result.failure = Failure::BadAddress;
        return result;
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    HINTERNET session = Session();
    if (!session) return result;
    UniqueInternet connection(
        InternetConnectW(session, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return result;
    SetTimeouts(connection.Get(), timeouts);

    const wchar_t* accept[] = {L"*/*", nullptr};
    const DWORD flags = kRequestFlags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    UniqueInternet request(
        HttpOpenRequestW(connection.Get(), method, path.c_str(), nullptr, nullptr, accept, flags, 0));
    if (!request) return result;
    SetTimeouts(request.Get(), timeouts);

    if (!HttpSendRequestW(request.Get(), headers, headers ? static_cast<DWORD>(-1) : 0, const_cast<char*>(body.data()),
                          static_cast<DWORD>(body.size()))) {
        result.failure = GetLastError() == ERROR_INTERNET_TIMEOUT ? Failure::Send : Failure::Connect;
        return result;
    }
    if (control) control->Touch();

    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
        result.failure = Failure::Read;
        return result;
    }
    result.status = status;
    const auto expected = ContentLength(request.Get());

    std::vector<char> buffer(kChunk);
    for (;;) {
        if (control && control->Abandoned()) {
            result.failure = Failure::Aborted;
            return result;
        }
        DWORD read = 0;
        if (!InternetReadFile(request.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
            result.failure = Failure::Read;
            return result;
        }
        if (read == 0) break;
        result.received += read;
        if (control) control->Touch();
        if (sink && !sink(buffer.data(), read)) {
            result.failure = Failure::Sink;
            return result;
        }
    }
    // A cut connection often reads like a normal end of data.
    result.failure = expected && result.received < *expected ? Failure::CutShort : Failure::None;
    return result;
}

Result PostForm(const std::wstring& url, std::string_view body, std::string* response) {
    static constexpr Timeouts kLoginTimeouts{10000, 10000, 20000};
    std::string ignored;
    std::string* answer = response ? response : &ignored;
    answer->clear();
    return Perform(L"POST", url, body, L"CONTENT-TYPE: application/x-www-form-urlencoded\r\n", kLoginTimeouts,
                   Collect(answer, kLoginAnswerLimitBytes, kLoginAnswerLimitMs), nullptr);
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
            shared->result =
                Perform(L"GET", url, {}, nullptr, kPageTimeouts, Collect(&shared->body, kPageLimitBytes, 0), &control);
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
