// Transfers against a server on 127.0.0.1 that dribbles, stalls and cuts: the limits hold whatever it does.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BackgroundTask.h"
#include "Http.h"
#include "LoopbackServer.h"
#include "PhotoTransfer.h"

namespace {

using loopback::Connection;

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
    const Http::Result result = Http::Perform({L"GET", server.Url(L"/slow.jpg"), {}, nullptr, {2000, 2000, 2000}},
                                              nullptr, Http::Collect(&body, 1 << 20, 1000), nullptr);
    const ULONGLONG took = Since(start);
    std::printf("dribbled body: %zu bytes in %llu ms before the 1 s limit stopped it\n", body.size(), took);
    EXPECT_EQ(result.failure, Http::Failure::Sink);
    // A byte per 150 ms for one second, each seen when it came; one read waiting for all 40 would take 6 s.
    EXPECT_GE(body.size(), 4u);
    EXPECT_LE(body.size(), 10u);
    EXPECT_LT(took, 2500u);
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
    };
    for (const auto& c : cases) {
        loopback::Server server([&c](Connection& connection) {
            connection.Send("HTTP/1.1 200 OK\r\n" + c.answer);
            if (c.cut) connection.Cut();
        });
        std::string body;
        const Http::Result result = Http::Perform({L"GET", server.Url(L"/photo.jpg"), {}, nullptr, {2000, 2000, 2000}},
                                                  nullptr, Http::Collect(&body, 1 << 20, 0), nullptr);
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
            Http::PostForm(server.Url(L"/PLogin.do"), "email=a&password=b", &response, timeouts);
        const ULONGLONG took = Since(start);
        std::printf("%s: the post returned after %llu ms\n", c.name, took);
        EXPECT_EQ(result.failure, Http::Failure::TimedOut) << c.name;
        EXPECT_GE(took, timeouts.Total() - 50) << c.name;
        EXPECT_LT(took, timeouts.Total() + 500) << c.name;
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(response.substr(0, c.arrived.size()), c.arrived) << c.name;
    }
}

TEST(PhotoTransfer, GivingUpClosesTheTransferAndItsFileSoNothingPilesUp) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n";
    const struct {
        const char* name;
        std::function<void(Connection&)> script;
    } stalls[] = {
        {"silent before its header", [](Connection& c) { c.AwaitClose(8000); }},
        {"stalled after its header",
         [&head](Connection& c) {
             c.Send(head + "abc");
             c.AwaitClose(8000);
         }},
        {"dribbling its body",
         [&head](Connection& c) {
             c.Send(head);
             c.Dribble(std::string(5000, 'x'), 350, 8000);
         }},
    };
    constexpr DWORD kLimitMs = 1500;
    Folder folder;
    std::vector<int> threads;
    for (int round = 0; round < 2; ++round) {
        for (const auto& stall : stalls) {
            loopback::Server server(stall.script);
            const ULONGLONG start = GetTickCount64();
            const PhotoDownload download = DownloadToTempFile(server.Url(L"/stalled.jpg"), folder.Path(), kLimitMs);
            const ULONGLONG returned = GetTickCount64();
            // The server hears of a close on its own thread: give it a moment.
            for (int i = 0; i < 50 && !server.ClientGone(); ++i) Sleep(10);
            EXPECT_EQ(download.outcome, PhotoOutcome::TimedOut) << stall.name;
            EXPECT_EQ(folder.Files(), 0u) << stall.name << ": its part file is gone when the wait returns";
            ASSERT_NE(server.ClientGone(), 0u) << stall.name << ": its socket is closed when the wait returns";
            std::printf("%s: given up after %llu ms, socket closed %lld ms after the deadline\n", stall.name,
                        returned - start, static_cast<long long>(server.ClientGone() - start) - kLimitMs);
            EXPECT_LE(server.ClientGone(), returned + 100) << stall.name;
            threads.push_back(ThreadsOfThisProcess());
        }
    }
    std::printf("threads after each photo given up:");
    for (const int n : threads) std::printf(" %d", n);
    std::printf("\n");
    EXPECT_LE(threads.back(), threads[2]) << "a second album of stalls needs no more threads than the first";
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
        {"announced length", "HTTP/1.1 200 OK\r\nContent-Length: 16777216\r\n\r\n", 1u << 20, 1},
        {"no length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", 1u << 20, 1},
        {"no room at all", "HTTP/1.1 200 OK\r\nContent-Length: 16777216\r\n\r\n", 0, 0},
    };
    for (const auto& c : cases) {
        loopback::Server server([&](Connection& connection) {
            if (connection.Send(c.head)) connection.Send(body);
            connection.Cut();
        });
        const std::uint64_t reserve = c.room ? folder.Free() - c.room : folder.Free() + (1u << 20);
        const PhotoDownload download = DownloadToTempFile(server.Url(L"/big.jpg"), folder.Path(), 20000, reserve);
        EXPECT_EQ(download.outcome, PhotoOutcome::NoRoom) << c.name;
        EXPECT_EQ(folder.Files(), 0u) << c.name;
        EXPECT_EQ(server.Requests(), c.requests) << c.name << ": a full disk fails the photo before it is asked for";
    }
}

}  // namespace
