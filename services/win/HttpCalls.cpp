// The calling shapes of a transfer: the blocking login post, the page fetched while window messages are
// processed, and the probe nobody waits for.
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "Http.h"
#include "HttpText.h"

namespace Http {
namespace {

// Far above any real page or login answer: a server sending without end fails the transfer instead of
// filling the memory.
constexpr size_t kPageLimitBytes = 64u << 20;
constexpr size_t kLoginAnswerLimitBytes = 4u << 20;
// A probe's answer is read only to end the request cleanly.
constexpr size_t kProbeLimitBytes = 1u << 20;

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
            for (int tries = 1;; ++tries) {
                shared->body.clear();
                shared->result = Perform(request, nullptr, Collect(&shared->body, kPageLimitBytes, 0), &control);
                if (!TryAgain(shared->result, tries, control)) break;
            }
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
}  // namespace Http
