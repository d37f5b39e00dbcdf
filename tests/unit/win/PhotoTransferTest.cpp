// Photos and the transport under them, against a server on 127.0.0.1 that dribbles, stalls and cuts: the limits
// hold whatever it does.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "services/win/BackgroundTask.h"
#include "services/win/Http.h"
#include "LoopbackServer.h"
#include "services/win/PhotoTransfer.h"
#include "Waiting.h"

// The replacement's frees look mismatched to the compiler wherever it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Set by a test to make every large allocation of this process fail, as memory running out would.
static std::atomic<size_t> g_failAllocationsFrom{0};

void* operator new(size_t size) {
    const size_t from = g_failAllocationsFrom.load();
    if (from != 0 && size >= from) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

using loopback::Connection;

// The tests' server is on this machine: exactly its address goes through, every other host is judged as the
// program judges it.
bool TestServerOnly(std::wstring_view host) {
    return host == L"127.0.0.1" || Http::AllowedHost(host);
}

Http::Request Get(const std::wstring& url, Http::Timeouts timeouts = {2000, 2000, 2000}) {
    Http::Request request{L"GET", url, {}, nullptr, timeouts};
    request.allowHost = &TestServerOnly;
    return request;
}

std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find(" HTTP/"));
}

ULONGLONG Since(ULONGLONG start) {
    return GetTickCount64() - start;
}

int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

class Folder {
public:
    Folder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"verdaly-transfer-" + std::to_wstring(GetCurrentProcessId());
        std::filesystem::create_directories(path_);
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    [[nodiscard]] const std::wstring& Path() const { return path_; }
    [[nodiscard]] size_t Files() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
    }
    // The files of exactly this size: part files written whole.
    [[nodiscard]] size_t Files(std::uintmax_t size) const {
        return static_cast<size_t>(std::count_if(std::filesystem::directory_iterator(path_), {},
                                                 [size](const auto& entry) { return entry.file_size() == size; }));
    }
    [[nodiscard]] std::uint64_t Free() const {
        ULARGE_INTEGER available{};
        GetDiskFreeSpaceExW(path_.c_str(), &available, nullptr, nullptr);
        return available.QuadPart;
    }

private:
    std::wstring path_;
};

TEST(Transfer, EachPieceReachesTheSinkAsItArrivesSoATimeLimitHoldsOnADribble) {
    loopback::Server server([](Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\n");
        c.Dribble(std::string(40, 'x'), 150, 10000);
    });
    std::string body;
    const ULONGLONG start = GetTickCount64();
    const Http::Result result =
        Http::Perform(Get(server.Url(L"/slow.jpg")), nullptr, Http::Collect(&body, 1 << 20, 1000), nullptr);
    const ULONGLONG took = Since(start);
    EXPECT_EQ(result.failure, Http::Failure::Sink);
    // A byte per 150 ms for one second, each seen when it came; one read waiting for all 40 would take 6 s.
    EXPECT_GE(body.size(), 2u);
    EXPECT_LT(body.size(), 20u);
    EXPECT_LT(took, 4000u);
}

TEST(Transfer, ACutAnswerIsToldFromAWholeOneInEachFraming) {
    const std::string chunks = "5\r\nhello\r\n6\r\n world\r\n";
    const struct {
        const char* name;
        std::string answer;
        bool cut;
        Http::Failure failure;
        std::uint64_t received;
    } cases[] = {
        {"length, whole", "Content-Length: 11\r\n\r\nhello world", false, Http::Failure::None, 11},
        {"length, cut", "Content-Length: 100\r\n\r\nhello world", true, Http::Failure::CutShort, 11},
        {"chunked, whole", "Transfer-Encoding: chunked\r\n\r\n" + chunks + "0\r\n\r\n", false, Http::Failure::None, 11},
        {"chunked, cut before the last chunk", "Transfer-Encoding: chunked\r\n\r\n" + chunks, true,
         Http::Failure::CutShort, 11},
        {"chunked, cut inside a chunk", "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n10\r\n wor", true,
         Http::Failure::CutShort, 9},
        {"chunked, whole, then closed as announced",
         "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n" + chunks + "0\r\n\r\n", true, Http::Failure::None,
         11},
        {"neither: as complete as its server says", "Connection: close\r\n\r\nhello world", true, Http::Failure::None,
         11},
        // Nothing WinINet reports tells this one from the whole one above: it passes for whole (README).
        {"chunked, close announced, cut before the last chunk: read as whole",
         "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n" + chunks, true, Http::Failure::None, 11},
        {"length in a long text, cut", "Content-Length: " + std::string(300, '0') + "100\r\n\r\nhello world", true,
         Http::Failure::CutShort, 11},
    };
    for (const auto& c : cases) {
        loopback::Server server([&c](Connection& connection) {
            connection.Send("HTTP/1.1 200 OK\r\n" + c.answer);
            if (c.cut) connection.Cut();
        });
        std::string body;
        const Http::Result result =
            Http::Perform(Get(server.Url(L"/photo.jpg")), nullptr, Http::Collect(&body, 1 << 20, 0), nullptr);
        EXPECT_EQ(result.failure, c.failure) << c.name;
        EXPECT_EQ(result.received, c.received) << c.name;
    }
}

TEST(Transfer, TheLoginPostEndsAtItsDeadlineWithWhatArrivedWhateverTheServerDoes) {
    const std::string form = "<form class=\"login\" action=\"/PLogin.do\">";
    const struct {
        const char* name;
        std::function<void(Connection&)> script;
        DWORD status;
        std::string arrived;
    } cases[] = {
        {"header dribbled",
         [](Connection& c) { c.Dribble("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 200, 4000); }, 0, ""},
        {"login form, then the rest dribbled",
         [&form](Connection& c) {
             c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + form);
             c.Dribble(std::string(1000, ' '), 200, 4000);
         },
         200, form},
    };
    const Http::Timeouts timeouts{300, 300, 900};
    for (const auto& c : cases) {
        loopback::Server server(c.script);
        std::string response;
        const ULONGLONG start = GetTickCount64();
        const Http::Result result =
            Http::PostForm(server.Url(L"/PLogin.do"), "email=a&password=b", &response, timeouts, &TestServerOnly);
        const ULONGLONG took = Since(start);
        EXPECT_EQ(result.failure, Http::Failure::TimedOut) << c.name;
        EXPECT_GE(took, timeouts.Total() - 50) << c.name;
        EXPECT_LT(took, timeouts.Total() + 1500) << c.name << ": long before the 4 s the server dribbles";
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(response.substr(0, c.arrived.size()), c.arrived) << c.name;
    }
}

// What a modal loop that the wait dispatches looks at, and what it saw when it ended.
struct InLoop {
    const Folder* folder;
    const loopback::Server* server;
    size_t files = 99;
    ULONGLONG gone = 0;
    static inline InLoop* current = nullptr;
};

TEST(PhotoTransfer, GivingUpAtTheDeadlineClosesTheTransferAndItsFileEvenInAModalLoopSoNothingPilesUp) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n";
    const auto dribbling = [&head](Connection& c) {
        c.Send(head);
        c.Dribble(std::string(5000, 'x'), 350, 8000);
    };
    const struct {
        const char* name;
        std::function<void(Connection&)> script;
        bool modal = false;
    } stalls[] = {
        {"silent before its header", [](Connection& c) { c.AwaitClose(8000); }},
        {"stalled after its header",
         [&head](Connection& c) {
             c.Send(head + "abc");
             c.AwaitClose(8000);
         }},
        {"dribbling its body", dribbling},
        // A message the wait dispatches opens a loop of its own, as the close-refusal box or a drag does, and stays
        // in it until the part file and the connection have gone, or long past the photo's deadline.
        {"dribbling its body, the waiting thread in a modal loop", dribbling, true},
    };
    constexpr DWORD kLimitMs = 1500;
    Folder folder;
    std::vector<int> threads;
    for (int round = 0; round < 2; ++round) {
        for (const auto& stall : stalls) {
            loopback::Server server(stall.script);
            InLoop seen{&folder, &server};
            InLoop::current = &seen;
            const UINT_PTR timer = !stall.modal ? 0 : SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
                KillTimer(nullptr, id);
                InLoop& s = *InLoop::current;
                PumpUntil([&s] { return s.server->ClientGone() != 0 && s.folder->Files() == 0; });
                s.files = s.folder->Files();
                s.gone = s.server->ClientGone();
            });
            const ULONGLONG start = GetTickCount64();
            const PhotoDownload download =
                PhotoRun(folder.Path(), {server.Url(L"/stalled.jpg")}, {&TestServerOnly, 0, kLimitMs}).Next();
            const ULONGLONG returned = GetTickCount64();
            if (timer) KillTimer(nullptr, timer);
            EXPECT_EQ(download.outcome, PhotoOutcome::TimedOut) << stall.name;
            EXPECT_EQ(folder.Files(), 0u) << stall.name << ": its part file is gone when the wait returns";
            EXPECT_TRUE(!stall.modal || (seen.files == 0 && seen.gone != 0)) << "gone inside the loop";
            // The server hears of the close on its own thread, a while later on a loaded machine; a socket left to
            // its receive time-out would close seconds later.
            ASSERT_TRUE(PumpUntil([&] { return server.ClientGone() != 0; })) << stall.name << ": its socket stays";
            EXPECT_LE(server.ClientGone(), returned + 1000) << stall.name << ": closed when the wait returns";
            EXPECT_LT(server.ClientGone() - start, kLimitMs + 2000) << stall.name << ": closed at the deadline";
            threads.push_back(ThreadsOfThisProcess());
        }
    }
    EXPECT_LE(threads.back(), threads[std::size(stalls) - 1])
        << "a second album of stalls needs no more threads than the first: " << testing::PrintToString(threads);
}

TEST(PhotoTransfer, APhotoThatWouldFillTheDiskFailsAndLeavesNoFile) {
    const std::string body(16u << 20, 'x');
    Folder folder;
    const struct {
        const char* name;
        std::string head;
        std::uint64_t room;  // free bytes above the reserve
        int requests;
    } cases[] = {
        // Far more than the room, or none at all: other programs free and fill the same disk meanwhile.
        {"announced length", "HTTP/1.1 200 OK\r\nContent-Length: 1099511627776\r\n\r\n", 1u << 20, 1},
        {"no length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", 1u << 20, 1},
        {"no room at all", "HTTP/1.1 200 OK\r\nContent-Length: 16777216\r\n\r\n", 0, 0},
        // The room is kept for the photos that follow into the folder: a refused one is asked for again.
        {"no room at all, the next photo", "HTTP/1.1 200 OK\r\nContent-Length: 16777216\r\n\r\n", 0, 0},
    };
    for (const auto& c : cases) {
        loopback::Server server([&](Connection& connection) {
            if (connection.Send(c.head)) connection.Send(body);
            connection.Cut();
        });
        const std::uint64_t reserve = c.room ? folder.Free() - c.room : folder.Free() + (1ull << 30);
        const PhotoDownload download =
            PhotoRun(folder.Path(), {server.Url(L"/big.jpg")}, {&TestServerOnly, reserve, 20000}).Next();
        EXPECT_EQ(download.outcome, PhotoOutcome::NoRoom) << c.name;
        EXPECT_EQ(folder.Files(), 0u) << c.name;
        EXPECT_EQ(server.Requests(), c.requests) << c.name << ": a full disk fails the photo before it is asked for";
    }

    // A piece refused while the body pauses is lost, even when room comes back for the rest: no photo with a hole.
    const std::wstring filler = folder.Path() + L"\\filler";
    std::ofstream(std::filesystem::path(filler), std::ios::binary) << std::string(8u << 20, 'f');
    const std::uint64_t reserve = folder.Free() - (32u << 10);
    loopback::Server server([&](Connection& connection) {
        connection.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        connection.Send(std::string(64u << 10, 'a'));
        Sleep(300);
        std::filesystem::remove(filler);
        connection.Send(std::string(192u << 10, 'b'));
        connection.Cut();
    });
    const PhotoDownload download =
        PhotoRun(folder.Path(), {server.Url(L"/paused.jpg")}, {&TestServerOnly, reserve, 20000}).Next();
    EXPECT_EQ(download.outcome, PhotoOutcome::NoRoom);
    EXPECT_EQ(folder.Files(), 0u);
}

TEST(Transfer, EveryRedirectIsJudgedBeforeItIsFollowedAndAtMostFiveAre) {
    // A second machine, as far as the tests go: nothing may ever reach it.
    loopback::Server elsewhere([](Connection& c) { c.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nno"); },
                               "127.0.0.2");
    const struct {
        const char* name;
        const wchar_t* method;
        int status;            // of each redirect
        std::string location;  // where /a sends; "*" sends every path one further
        Http::Failure failure;
        std::vector<std::string> seen;  // request lines, and whether a post body came along
    } cases[] = {
        {"relative, then answered", L"GET", 302, "b", Http::Failure::None, {"GET /a", "GET /b"}},
        {"a post seen elsewhere asks with a GET", L"POST", 303, "/b", Http::Failure::None, {"POST /a+", "GET /b"}},
        {"a post moved for now asks with a GET", L"POST", 302, "/b", Http::Failure::None, {"POST /a+", "GET /b"}},
        {"a post moved by 307 stays a post", L"POST", 307, "/b", Http::Failure::None, {"POST /a+", "POST /b+"}},
        {"six redirects are one too many", L"GET", 301, "*", Http::Failure::Redirects,
         {"GET /a", "GET /a1", "GET /a11", "GET /a111", "GET /a1111", "GET /a11111"}},
        {"to another machine of this one", L"GET", 302, "elsewhere", Http::Failure::BadAddress, {"GET /a"}},
        {"to this machine in another notation", L"GET", 302, "http://2130706433/b", Http::Failure::BadAddress,
         {"GET /a"}},
        {"to a foreign scheme", L"GET", 302, "file:///C:/windows/win.ini", Http::Failure::BadAddress, {"GET /a"}},
    };
    for (const auto& c : cases) {
        std::mutex lock;
        std::vector<std::string> seen;
        loopback::Server server([&](Connection& connection) {
            const std::string line = RequestLine(connection.Request());
            const bool withBody = connection.Request().find("\r\n\r\nx=1") != std::string::npos;
            {
                const std::lock_guard<std::mutex> hold(lock);
                seen.push_back(line + (withBody ? "+" : ""));
            }
            const std::string path = line.substr(line.find(' ') + 1);
            std::string location = c.location == "*" ? path + "1" : path == "/a" ? c.location : "";
            if (location == "elsewhere") {
                const std::wstring url = elsewhere.Url(L"/x.jpg");
                location.assign(url.begin(), url.end());
            }
            if (location.empty()) {
                connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\ndone");
            } else {
                connection.Send("HTTP/1.1 " + std::to_string(c.status) + " Moved\r\nLocation: " + location +
                                "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            }
            connection.Cut();
        });
        Http::Request request = Get(server.Url(L"/a"));
        request.method = c.method;
        if (std::wstring(c.method) == L"POST") {
            request.body = "x=1";
            request.headers = L"Content-Type: application/x-www-form-urlencoded\r\n";
        }
        std::string body;
        const Http::Result result = Http::Perform(request, nullptr, Http::Collect(&body, 1 << 20, 0), nullptr);
        EXPECT_EQ(result.failure, c.failure) << c.name;
        EXPECT_EQ(body, c.failure == Http::Failure::None ? "done" : "") << c.name;
        const std::lock_guard<std::mutex> hold(lock);
        EXPECT_EQ(seen, c.seen) << c.name;
    }
    EXPECT_EQ(elsewhere.Requests(), 0) << "a refused hop sends nothing";
}

TEST(Transfer, RunningOutOfMemoryInsideTheLoginsSinkFailsThatAttemptAndNothingWaitsForEver) {
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 3000000\r\n\r\n" + std::string(3000000, 'x');
    loopback::Server server([&answer](Connection& c) { c.Send(answer); });
    struct Attempt {
        std::string response;
        Http::Result result;
        UniqueKernelHandle ended{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    };
    auto attempt = std::make_shared<Attempt>();
    const std::wstring url = server.Url(L"/PLogin.do");
    std::thread([attempt, url] {
        // The answer's buffer grows past 1 MB inside the sink, under the lock the waiting side takes next.
        g_failAllocationsFrom = 1u << 20;
        attempt->result = Http::PostForm(url, "email=a", &attempt->response, {2000, 2000, 4000}, &TestServerOnly);
        g_failAllocationsFrom = 0;
        SetEvent(attempt->ended.Get());
    }).detach();
    const bool returned = WaitForSingleObject(attempt->ended.Get(), 15000) == WAIT_OBJECT_0;
    g_failAllocationsFrom = 0;
    ASSERT_TRUE(returned) << "the attempt never came back: a lock was left held";
    const Http::Result result = attempt->result;
    EXPECT_FALSE(result.Ok());
    EXPECT_NE(result.failure, Http::Failure::TimedOut) << "failed at once, not at the deadline";
}

TEST(Transfer, AnAlbumPageEndsAtItsTotalLimitOrWhenGivenUpEvenIfItKeepsSending) {
    const auto dribbled = [](Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
        c.Dribble(std::string(100, 'x'), 100, 10000);
    };
    static TaskCanceller canceller;
    for (const bool cancelled : {false, true}) {
        loopback::Server server(dribbled);
        // The wait processes messages: this tick stands for a click that gives the page up.
        const UINT_PTR timer = cancelled ? SetTimer(nullptr, 0, 500,
                                                    [](HWND, UINT, UINT_PTR id, DWORD) {
                                                        KillTimer(nullptr, id);
                                                        canceller.Cancel();
                                                    })
                                         : 0;
        const ULONGLONG start = GetTickCount64();
        const auto page = Http::FetchHTML(server.Url(L"/photo/1/album-2"), L"UTF-8",
                                          TaskLimits{cancelled ? 8000u : 1500u, 60000}, &canceller, &TestServerOnly);
        const ULONGLONG took = Since(start);
        if (timer) KillTimer(nullptr, timer);
        EXPECT_FALSE(page.has_value()) << cancelled;
        // Not before the click or the limit, and long before the 8 s limit or the 10 s the body takes.
        EXPECT_GE(took, cancelled ? 400u : 1450u) << cancelled;
        EXPECT_LT(took, 4000u) << cancelled;
        EXPECT_TRUE(PumpUntil([&] { return server.ClientGone() != 0; })) << cancelled << ": its connection stays";
    }
}

// What a server saw: each request's text and when it came.
struct Asked {
    std::mutex lock;
    std::vector<std::string> requests;
    std::vector<ULONGLONG> at;
    size_t Note(const Connection& c) {
        const std::lock_guard<std::mutex> hold(lock);
        requests.push_back(c.Request());
        at.push_back(GetTickCount64());
        return requests.size() - 1;
    }
};

TEST(PhotoTransfer, APassingFailureIsAskedForAgainAfterItsPauseAndNothingElseIs) {
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
    const std::string busy = "HTTP/1.1 503 Busy\r\nContent-Length: 0\r\n";
    const struct {
        const char* name;
        std::function<void(Connection&, size_t)> script;  // given the request's number, from 0
        const wchar_t* path;
        PhotoOutcome outcome;
        size_t requests;
        std::vector<ULONGLONG> minGapsMs;  // between one request and the next
        const char* requestLine;           // of the first request, when it matters
    } cases[] = {
        {"503 with Retry-After: 1, once", [&](Connection& c, size_t n) { c.Send(n ? ok : busy + "Retry-After: 1\r\n\r\n"); },
         L"/a.jpg", PhotoOutcome::Saved, 2, {1000}, nullptr},
        {"429 once", [&](Connection& c, size_t n) { c.Send(n ? ok : "HTTP/1.1 429 Slow\r\nContent-Length: 0\r\n\r\n"); },
         L"/a.jpg", PhotoOutcome::Saved, 2, {500}, nullptr},
        {"cut short of its length, once",
         [&](Connection& c, size_t n) {
             if (n) return (void)c.Send(ok);
             c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhe");
             c.Cut();
         },
         L"/a.jpg", PhotoOutcome::Saved, 2, {500}, nullptr},
        {"dropped before its answer, once",
         [&](Connection& c, size_t n) { n ? (void)c.Send(ok) : c.Cut(); }, L"/a.jpg", PhotoOutcome::Saved, 2, {500},
         nullptr},
        {"503 every time", [&](Connection& c, size_t) { c.Send(busy + "\r\n"); }, L"/a.jpg", PhotoOutcome::Failed, 3,
         {500, 1000}, nullptr},
        {"Retry-After longer than 5 s", [&](Connection& c, size_t) { c.Send(busy + "Retry-After: 6\r\n\r\n"); },
         L"/a.jpg", PhotoOutcome::Failed, 1, {}, nullptr},
        {"Retry-After as a date",
         [&](Connection& c, size_t) { c.Send(busy + "Retry-After: Fri, 31 Dec 1999 23:59:59 GMT\r\n\r\n"); },
         L"/a.jpg", PhotoOutcome::Failed, 1, {}, nullptr},
        {"404", [&](Connection& c, size_t) { c.Send("HTTP/1.1 404 Gone\r\nContent-Length: 0\r\n\r\n"); }, L"/a.jpg",
         PhotoOutcome::Failed, 1, {}, nullptr},
        // No credentials go to a challenge of any kind: the photo fails after one request.
        {"401 with challenges",
         [&](Connection& c, size_t) {
             c.Send("HTTP/1.1 401 Who\r\nWWW-Authenticate: Negotiate\r\nWWW-Authenticate: NTLM\r\n"
                    "WWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 0\r\n\r\n");
         },
         L"/a.jpg", PhotoOutcome::Failed, 1, {}, nullptr},
        {"a refused address", [&](Connection& c, size_t) { c.Send(ok); }, L"/a b.jpg", PhotoOutcome::Refused, 0, {},
         nullptr},
        {"a name outside ASCII", [&](Connection& c, size_t) { c.Send(ok); }, L"/u/\u76F8\u7247\u4E00.jpg",
         PhotoOutcome::Saved, 1, {}, "GET /u/%E7%9B%B8%E7%89%87%E4%B8%80.jpg"},
    };
    Folder folder;
    for (const auto& c : cases) {
        Asked asked;
        loopback::Server server([&](Connection& connection) { c.script(connection, asked.Note(connection)); });
        PhotoDownload download = PhotoRun(folder.Path(), {server.Url(c.path)}, {&TestServerOnly, 0, 10000}).Next();
        EXPECT_EQ(download.outcome, c.outcome) << c.name;
        EXPECT_EQ(download.status, c.outcome == PhotoOutcome::Saved ? 200u : download.status) << c.name;
        download.file.Reset();
        const std::lock_guard<std::mutex> hold(asked.lock);
        ASSERT_EQ(asked.requests.size(), c.requests) << c.name;
        for (size_t i = 0; i < c.minGapsMs.size(); ++i)
            EXPECT_GE(asked.at[i + 1] - asked.at[i], c.minGapsMs[i]) << c.name << ", pause " << i + 1;
        for (const std::string& request : asked.requests)
            EXPECT_EQ(request.find("Authorization:"), std::string::npos) << c.name;
        if (c.requestLine) {
            EXPECT_EQ(RequestLine(asked.requests[0]), c.requestLine) << c.name;
        }
        EXPECT_EQ(folder.Files(), 0u) << c.name << ": no try leaves its part file";
    }
    // The album page too.
    Asked asked;
    loopback::Server page([&](Connection& c) {
        c.Send(asked.Note(c) ? "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage" : busy + "\r\n");
    });
    const auto fetched = Http::FetchHTML(page.Url(L"/photo/1/album-2"), L"UTF-8", Http::kPageLimits, nullptr,
                                         &TestServerOnly);
    ASSERT_TRUE(fetched.has_value());
    EXPECT_EQ(fetched->status, 200u);
    EXPECT_EQ(fetched->text, L"page");
}

TEST(PhotoTransfer, AGivenUpPhotoLetsGoOfItsConnectionBeforeTheNextIsAskedFor) {
    // Bytes for 3 s, then silence: the photo's 6 s pass while a receive is pending, which under Wine ends only at
    // the request's 5 s receive time-out.
    loopback::Server stalled([](Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        c.Dribble(std::string(100000, 'x'), 200, 3000);
        c.AwaitClose(20000);
    });
    Asked asked;
    loopback::Server next([&](Connection& c) {
        asked.Note(c);
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    });
    constexpr DWORD kLimitMs = 6000;
    Folder folder;
    PhotoRun run(folder.Path(), {stalled.Url(L"/late.jpg"), next.Url(L"/next.jpg")}, {&TestServerOnly, 0, kLimitMs});
    const ULONGLONG start = GetTickCount64();
    const PhotoDownload late = run.Next();
    EXPECT_EQ(late.outcome, PhotoOutcome::TimedOut);
    ASSERT_TRUE(PumpUntil([&] { return stalled.ClientGone() != 0; }));
    EXPECT_LE(stalled.ClientGone() - start, kLimitMs + 5000 + 1000) << "within the receive time-out and a second";
    {
        const std::lock_guard<std::mutex> hold(asked.lock);
        EXPECT_TRUE(asked.at.empty()) << "the next photo waits for the connection before it";
    }
    EXPECT_EQ(run.Next().outcome, PhotoOutcome::Saved);
    const std::lock_guard<std::mutex> hold(asked.lock);
    ASSERT_EQ(asked.at.size(), 1u);
    EXPECT_GE(asked.at[0], stalled.ClientGone());
}

namespace {
// A click on the stop button, as a timer's tick in the wait.
PhotoRun* g_stopRun = nullptr;
void CALLBACK StopTheRun(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_stopRun->Stop();
}
}  // namespace

TEST(PhotoTransfer, AStopEndsAPauseBetweenTriesAtOnce) {
    loopback::Server server(
        [](Connection& c) { c.Send("HTTP/1.1 503 Busy\r\nRetry-After: 5\r\nContent-Length: 0\r\n\r\n"); });
    Folder folder;
    {
        // A click while the photo pauses for its Retry-After: the wait ends at once, and nothing more is asked.
        PhotoRun run(folder.Path(), {server.Url(L"/busy.jpg")}, {&TestServerOnly, 0, 20000});
        g_stopRun = &run;
        SetTimer(nullptr, 0, 700, &StopTheRun);
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(run.Next().outcome, PhotoOutcome::Stopped);
        EXPECT_LT(Since(start), 4000u) << "not the 5 s pause";
    }
    g_stopRun = nullptr;
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(folder.Files(), 0u);
}

TEST(PhotoTransfer, KeepingAPhotoNeverLosesAnOlderFileWhicheverStepFails) {
    // Every step of the platform's, but the one told to fail.
    struct Failing final : PartFileSteps {
        int failMark = -1;  // 0: clearing the mark fails, 1: setting it again fails
        bool failRename = false;
        std::vector<std::string> calls;
        bool Mark(HANDLE file, bool on) override {
            calls.push_back(on ? "mark" : "unmark");
            return failMark != (on ? 1 : 0) && SystemFileSteps().Mark(file, on);
        }
        bool Rename(HANDLE file, const std::wstring& path) override {
            calls.push_back("rename");
            return !failRename && SystemFileSteps().Rename(file, path);
        }
        bool Delete(const std::wstring& path) override {
            calls.push_back("delete");
            return SystemFileSteps().Delete(path);
        }
    };
    const struct {
        const char* name;
        int failMark;
        bool failRename;
        bool kept;
        std::vector<std::string> calls;
    } cases[] = {
        {"no step fails", -1, false, true, {"unmark", "rename"}},
        {"clearing the mark fails", 0, false, false, {"unmark"}},
        {"the rename fails", -1, true, false, {"unmark", "rename", "mark"}},
        {"the rename and the new mark fail", 1, true, false, {"unmark", "rename", "mark", "delete"}},
    };
    loopback::Server server([](Connection& c) { c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"); });
    Folder folder;
    const std::wstring path = folder.Path() + L"\\photo.jpg";
    for (const auto& c : cases) {
        std::ofstream(std::filesystem::path(path), std::ios::binary) << "older";
        PhotoDownload download = PhotoRun(folder.Path(), {server.Url(L"/p.jpg")}, {&TestServerOnly, 0, 5000}).Next();
        ASSERT_EQ(download.outcome, PhotoOutcome::Saved) << c.name;
        Failing steps;
        steps.failMark = c.failMark;
        steps.failRename = c.failRename;
        EXPECT_EQ(KeepPhoto(download, path, steps), c.kept) << c.name;
        EXPECT_EQ(steps.calls, c.calls) << c.name;
        download.file.Reset();
        EXPECT_EQ(folder.Files(), 1u) << c.name << ": the photo, and no part file";
        std::ifstream kept(std::filesystem::path(path), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), c.kept ? "hello" : "older") << c.name;
    }
    // A name the file system reads as another file's short alias would replace that file.
    const std::wstring longName = L"photograph of the lake.jpg";
    std::ofstream(std::filesystem::path(folder.Path() + L"\\" + longName)) << "lake";
    wchar_t alias[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW((folder.Path() + L"\\" + longName).c_str(), alias, MAX_PATH), 0u);
    const std::wstring aliasName = std::filesystem::path(alias).filename().wstring();
    ASSERT_NE(aliasName, longName);
    EXPECT_TRUE(NamesAnotherFile(folder.Path(), aliasName)) << aliasName;
    EXPECT_FALSE(NamesAnotherFile(folder.Path(), longName));
    EXPECT_FALSE(NamesAnotherFile(folder.Path(), L"PHOTOGRAPH OF THE LAKE.JPG")) << "the same file, in other case";
    EXPECT_FALSE(NamesAnotherFile(folder.Path(), L"photo.jpg"));
    EXPECT_FALSE(NamesAnotherFile(folder.Path(), L"nothing.jpg"));
}

TEST(PhotoTransfer, AProcessKilledInTheMiddleOfAPhotoLeavesNothingInTheFolder) {
    loopback::Server server([](Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + std::string(200000, 'x'));
        c.AwaitClose(20000);
    });
    Folder folder;
    wchar_t self[MAX_PATH];
    std::wstring writer(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    writer = writer.substr(0, writer.find_last_of(L"\\/") + 1) + VERDALY_PART_WRITER_EXE;
    std::wstring command = L"\"" + writer + L"\" " + server.Url(L"/big.jpg") + L" \"" + folder.Path() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(writer.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    const UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    std::uintmax_t written = 0;
    std::wstring part;
    for (int i = 0; i < 500 && written == 0; ++i, Sleep(20)) {
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            part = entry.path().filename().wstring();
            written = entry.file_size();
        }
    }
    TerminateProcess(process.Get(), 9);
    WaitForSingleObject(process.Get(), 5000);
    EXPECT_GT(written, 0u) << "the photo's first piece never reached its part file";
    EXPECT_EQ(part.rfind(L"~verdaly-", 0), 0u);
    EXPECT_TRUE(PumpUntil([&] { return folder.Files() == 0; })) << "the part file outlived its process";
}

TEST(PhotoTransfer, TheSessionsCookiesGoWithEveryPhotoAndWhatAnAnswerSetsGoesWithTheNext) {
    std::mutex lock;
    std::vector<std::string> sent;  // the Cookie line of each request, in order
    loopback::Server server([&](Connection& c) {
        const std::string& request = c.Request();
        const size_t at = request.find("\r\nCookie: ");
        {
            const std::lock_guard<std::mutex> hold(lock);
            sent.push_back(at == std::string::npos ? "" : request.substr(at + 2, request.find("\r\n", at + 2) - at - 2));
        }
        const std::string line = RequestLine(request);
        const std::string sets = line == "GET /1.jpg"    ? "Set-Cookie: seen=1; Path=/\r\n"
                                 : line == "GET /login" ? "Set-Cookie: session=def; Path=/\r\n"
                                                        : "";
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n" + sets + "\r\nhello");
        c.Cut();
    });
    ASSERT_TRUE(InternetSetCookieExW(server.Url(L"/").c_str(), nullptr, L"session=abc; path=/", 0, 0));
    Folder folder;
    const auto photo = [&](const wchar_t* path) {
        return PhotoRun(folder.Path(), {server.Url(path)}, {&TestServerOnly, 0, 5000}).Next().outcome;
    };
    EXPECT_EQ(photo(L"/1.jpg"), PhotoOutcome::Saved);
    EXPECT_EQ(photo(L"/2.jpg"), PhotoOutcome::Saved);
    std::string body;
    EXPECT_TRUE(Http::Perform(Get(server.Url(L"/login")), nullptr, Http::Collect(&body, 100, 0), nullptr).Ok());
    EXPECT_EQ(photo(L"/3.jpg"), PhotoOutcome::Saved);
    const std::lock_guard<std::mutex> hold(lock);
    ASSERT_EQ(sent.size(), 4u);
    const auto has = [](const std::string& line, const char* cookie) { return line.find(cookie) != std::string::npos; };
    EXPECT_TRUE(has(sent[0], "session=abc")) << sent[0];
    EXPECT_TRUE(has(sent[1], "session=abc") && has(sent[1], "seen=1")) << "what a photo's answer set: " << sent[1];
    EXPECT_TRUE(has(sent[3], "session=def") && !has(sent[3], "abc")) << "as another request left it: " << sent[3];
}

TEST(PhotoTransfer, AKeptConnectionLastsWhileAPhotoUsesItAndAKeptServerIsStillJudged) {
    const UniqueKernelHandle halfSent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueKernelHandle goOn(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    loopback::Server slow([&](Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n" + std::string(1000, 'a'));
        SetEvent(halfSent.Get());
        WaitForSingleObject(goOn.Get(), 5000);
        c.Send(std::string(1000, 'b'));
    });
    loopback::Server other([](Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
        c.Cut();
    });
    Folder folder;
    PhotoOutcome outcome = PhotoOutcome::Failed;
    std::thread photo([&] {
        outcome = PhotoRun(folder.Path(), {slow.Url(L"/p.jpg")}, {&TestServerOnly, 0, 10000}).Next().outcome;
    });
    ASSERT_EQ(WaitForSingleObject(halfSent.Get(), 5000), WAIT_OBJECT_0);
    // Requests with time-outs of their own each keep a connect handle: the photo's drops out of the keep.
    for (DWORD i = 0; i < 10; ++i) {
        std::string body;
        EXPECT_TRUE(Http::Perform(Get(other.Url(L"/x"), {2000 + i, 2000, 2000}), nullptr,
                                  Http::Collect(&body, 100, 0), nullptr)
                        .Ok());
    }
    SetEvent(goOn.Get());
    photo.join();
    EXPECT_EQ(outcome, PhotoOutcome::Saved) << "the photo's request went with its connect handle";

    Http::Request refused = Get(slow.Url(L"/again.jpg"));
    refused.allowHost = &Http::AllowedHost;  // the program's own rules: no loopback
    EXPECT_EQ(Http::Perform(refused, nullptr, nullptr, nullptr).failure, Http::Failure::BadAddress);
    EXPECT_EQ(slow.Requests(), 1) << "a server whose handle is kept is judged again, and nothing is sent there";
}

}  // namespace

TEST(PhotoTransfer, TheNextPhotosAreAskedForWhileOneIsKeptAtMostTwoAheadAndAStopInTheQueueGivesThemUpAtOnce) {
    Asked asked;
    loopback::Server server([&](Connection& c) {
        asked.Note(c);
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
        c.Cut();
    });
    const auto askedSoFar = [&] {
        const std::lock_guard<std::mutex> hold(asked.lock);
        std::vector<std::string> lines;
        for (const std::string& request : asked.requests) lines.push_back(RequestLine(request));
        return lines;
    };
    Folder folder;
    {
        PhotoRun run(folder.Path(),
                     {server.Url(L"/1.jpg"), server.Url(L"/2.jpg"), server.Url(L"/3.jpg"), server.Url(L"/4.jpg")},
                     {&TestServerOnly, 0, 5000});
        PhotoDownload first = run.Next();
        ASSERT_EQ(first.outcome, PhotoOutcome::Saved);
        // Judged once photo 3 is whole on the worker that would ask for photo 4 next, and a request of ours, made
        // only then, has been answered.
        EXPECT_TRUE(PumpUntil([&] { return folder.Files(5) >= 3; }));
        std::string body;
        EXPECT_TRUE(Http::Perform(Get(server.Url(L"/later")), nullptr, Http::Collect(&body, 100, 0), nullptr).Ok());
        EXPECT_EQ(askedSoFar(), (std::vector<std::string>{"GET /1.jpg", "GET /2.jpg", "GET /3.jpg", "GET /later"}))
            << "two photos ahead of the one taken, no more";
        PhotoDownload second = run.Next();
        EXPECT_EQ(second.outcome, PhotoOutcome::Saved);
        // Photos 3 and 4 are ready while 2 is kept: a click that waits in the queue comes before 3 is taken.
        EXPECT_TRUE(PumpUntil([&] { return folder.Files(5) == 4; }));
        g_stopRun = &run;
        SetTimer(nullptr, 0, 1, &StopTheRun);
        for (const ULONGLONG end = GetTickCount64() + 10000;
             !(HIWORD(GetQueueStatus(QS_TIMER)) & QS_TIMER) && GetTickCount64() < end;)
            Sleep(1);
        EXPECT_EQ(run.Next().outcome, PhotoOutcome::Stopped);
        EXPECT_TRUE(PumpUntil([&] { return folder.Files() == 2; })) << "a stop gives up the photos asked ahead";
    }
    g_stopRun = nullptr;
    EXPECT_EQ(folder.Files(), 0u) << "photos never taken, and those taken but not kept, leave nothing";
}
