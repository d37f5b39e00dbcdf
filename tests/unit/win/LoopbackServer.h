#pragma once
// A small HTTP server on 127.0.0.1 for the transfer tests. It takes one connection at a time, reads the
// request's header and plays a script on the socket, and it notes when the client let go of the connection.

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace loopback {

class Connection {
public:
    Connection(SOCKET socket, std::atomic<ULONGLONG>* gone, std::string request)
        : socket_(socket), gone_(gone), request_(std::move(request)) {}

    // The request's header and whatever of its body came with it.
    [[nodiscard]] const std::string& Request() const { return request_; }

    // False once the client has gone.
    bool Send(std::string_view bytes) {
        return !Gone(0) && send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0) == int(bytes.size());
    }
    // One byte every `intervalMs`, for `boundMs` at most; false when the client went first.
    bool Dribble(std::string_view bytes, DWORD intervalMs, DWORD boundMs) {
        const ULONGLONG start = GetTickCount64();
        for (const char byte : bytes) {
            if (GetTickCount64() - start >= boundMs) return true;
            if (Gone(intervalMs) || send(socket_, &byte, 1, 0) != 1) return false;
        }
        return true;
    }
    // Sends nothing for `ms` at most; true when the client went meanwhile.
    bool AwaitClose(DWORD ms) { return Gone(ms); }
    // Ends the connection from this side: a cut.
    void Cut() {
        shutdown(socket_, SD_BOTH);
        cut_ = true;
    }
    [[nodiscard]] bool WasCut() const { return cut_; }

private:
    // Waits up to `ms` for the client's end of the connection to close (the request was read whole, so
    // anything readable now is the close).
    bool Gone(DWORD ms) {
        if (gone_->load()) return true;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) != 1) return false;
        char scrap[256];
        if (recv(socket_, scrap, sizeof scrap, 0) > 0) return false;
        gone_->store(GetTickCount64());
        return true;
    }

    SOCKET socket_;
    std::atomic<ULONGLONG>* gone_;
    std::string request_;
    bool cut_ = false;
};

class Server {
public:
    using Script = std::function<void(Connection&)>;

    // `address`: another loopback address serves as "a second machine" that nothing may reach.
    explicit Server(Script script, const char* bindAddress = "127.0.0.1")
        : script_(std::move(script)), address_(bindAddress) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr(address_.c_str());
        int size = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        listen(listener_, 4);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    ~Server() {
        stop_ = true;
        thread_.join();
        closesocket(listener_);
        WSACleanup();
    }

    [[nodiscard]] std::wstring Url(const wchar_t* path) const {
        return L"http://" + std::wstring(address_.begin(), address_.end()) + L":" + std::to_wstring(port_) + path;
    }
    [[nodiscard]] int Requests() const { return requests_.load(); }
    // When the client closed its end of the last connection (GetTickCount64), 0 if it has not.
    [[nodiscard]] ULONGLONG ClientGone() const { return gone_.load(); }

private:
    void Serve() {
        while (!stop_) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener_, &ready);
            timeval wait{0, 50000};
            if (select(0, &ready, nullptr, nullptr, &wait) != 1) continue;
            const SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            // A client that neither reads nor lets go must fail a test, not hang it.
            DWORD sendLimitMs = 10000;
            const auto* limit = reinterpret_cast<const char*>(&sendLimitMs);
            setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, limit, sizeof sendLimitMs);
            std::string request;
            if (ReadRequest(client, &request)) {
                ++requests_;
                gone_ = 0;
                Connection connection(client, &gone_, std::move(request));
                script_(connection);
                // A kept connection is given a moment before it goes, as a server's keep-alive would.
                if (!connection.WasCut()) connection.AwaitClose(300);
            }
            closesocket(client);
        }
    }
    static bool ReadRequest(SOCKET client, std::string* request) {
        char buffer[4096];
        while (request->find("\r\n\r\n") == std::string::npos && request->size() < 65536) {
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) return false;
            request->append(buffer, static_cast<size_t>(got));
        }
        // A post's body follows its header; the tests' posts are small enough to have come with it.
        return true;
    }

    Script script_;
    std::string address_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::atomic<ULONGLONG> gone_{0};
    std::thread thread_;
};

}  // namespace loopback
