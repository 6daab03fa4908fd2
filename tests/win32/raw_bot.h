// A bot that speaks raw bytes on a loopback port: every connection, once its request's headers are in, gets
// the current `Play` on the socket and is then closed. Shared by the Win32 layer's and the end-to-end tests.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tavrio::testing {

class RawBot {
public:
    using Play = std::function<void(SOCKET)>;
    // Port 0: any free one. A given port may still be held by a program that just ended: tried for 10 s.
    explicit RawBot(int port = 0) {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!(bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) &&
               std::chrono::steady_clock::now() < until)
            Sleep(100);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] { serve(); });
    }
    ~RawBot() {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    RawBot(const RawBot&) = delete;
    RawBot& operator=(const RawBot&) = delete;

    bool bound() const { return bound_; }
    int port() const { return port_; }
    void play(Play play) {
        std::lock_guard<std::mutex> lock(mutex_);
        play_ = std::move(play);
    }

    static Play says(const std::string& bytes) {
        return [bytes](SOCKET s) { send(s, bytes.data(), static_cast<int>(bytes.size()), 0); };
    }
    // Half an answer, then a reset instead of the rest.
    static Play resetsAfter(const std::string& bytes) {
        return [bytes](SOCKET s) {
            send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
            Sleep(200);
            const linger abort{1, 0};
            setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
        };
    }
    // Never answers: holds the connection until the client gives up, or at the most `holdMs`, so that a client
    // that would wait for ever fails the test instead of hanging it.
    static Play silent(DWORD holdMs = 150000) {
        return [holdMs](SOCKET s) {
            setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&holdMs), sizeof holdMs);
            char byte;
            while (recv(s, &byte, 1, 0) > 0) {}
        };
    }

private:
    void serve() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            Play play;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                play = play_;
            }
            if (play) play(client);
            shutdown(client, SD_BOTH);
            closesocket(client);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    bool bound_ = false;
    int port_ = 0;
    std::mutex mutex_;
    Play play_;
    std::thread thread_;
};

}  // namespace tavrio::testing
