#pragma once
// HTTP over WinINet with one Internet session for the whole process, so the login's cookies go with every
// later request. Nothing from the site is cached.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "BackgroundTask.h"

namespace Http {

struct Timeouts {
    DWORD connectMs;
    DWORD sendMs;
    DWORD receiveMs;
};

enum class Failure { None, BadAddress, Connect, Send, Read, CutShort, Aborted, Sink };

struct [[nodiscard]] Result {
    Failure failure = Failure::Connect;
    DWORD status = 0;
    std::uint64_t received = 0;
    [[nodiscard]] bool Ok() const { return failure == Failure::None; }
    [[nodiscard]] bool Success() const { return Ok() && status >= 200 && status < 300; }
};

// Receives the body in chunks; returning false stops the transfer.
using Sink = std::function<bool(const char* data, size_t size)>;

// Collects a body into `body`; stops the transfer past `limitBytes` or, when `limitMs` is not 0, once that
// much time has passed since the first chunk.
Sink Collect(std::string* body, size_t limitBytes, ULONGLONG limitMs);

// One request, synchronous on the calling thread. `control` (may be null) gets a sign of life per chunk and
// stops the transfer once abandoned. A body shorter than its Content-Length fails with CutShort.
Result Perform(const wchar_t* method, const std::wstring& url, std::string_view body, const wchar_t* headers,
               const Timeouts& timeouts, const Sink& sink, TaskControl* control);

// The login post: synchronous, the thread blocks until the answer is in or a time-out ends it.
Result PostForm(const std::wstring& url, std::string_view body, std::string* response);

struct Page {
    DWORD status = 0;
    std::wstring text;
};

// GET and decode, waiting with window messages processed. nullopt on a failed transfer, after 60 seconds
// without progress, or when the program quits during the wait.
[[nodiscard]] std::optional<Page> FetchHTML(const std::wstring& url, const std::wstring& charset);

// Decodes bytes in a named character set ("UTF-8"; "GBK"/"GB2312" as code page 936). nullopt when the
// set is unknown or the bytes are not valid in it.
[[nodiscard]] std::optional<std::wstring> BytesToText(std::string_view bytes, const std::wstring& charset);

// The login form body's encoding: double-byte characters become %XX%YY of their ANSI bytes.
std::wstring URLEncode(std::wstring_view text);

}  // namespace Http
