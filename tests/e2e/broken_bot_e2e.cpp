// The panel against a bot that speaks broken HTTP on its port: raw answers played on the socket, one panel
// session. Each broken answer shows the cut answer or the failure, the panel keeps ticking, and the next
// well-behaved answer is shown again.
#include <winsock2.h>
// after winsock2.h
#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

#include "panel_driver.h"

namespace e2e {
namespace {

class RawBot {
public:
    using Play = std::function<void(SOCKET)>;
    explicit RawBot(int port) {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        // The simulator that had the port may still be letting go of it.
        bound_ = waitFor([&] { return bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0; },
                         std::chrono::seconds(10));
        listen(listener_, 8);
        thread_ = std::thread([this] { serve(); });
    }
    ~RawBot() {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    bool bound() const { return bound_; }
    void play(Play play) {
        std::lock_guard<std::mutex> lock(mutex_);
        play_ = std::move(play);
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
    std::mutex mutex_;
    Play play_;
    std::thread thread_;
};

RawBot::Play says(const std::string& bytes) {
    return [bytes](SOCKET s) { send(s, bytes.data(), static_cast<int>(bytes.size()), 0); };
}

RawBot::Play phone(const std::string& number) {
    const std::string body = "{\"phone\":\"" + number + "\"}";
    return says("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

std::size_t privateKiB(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    CloseHandle(process);
    return memory.PagefileUsage / 1024;
}

class BrokenBot : public ::testing::Test {
protected:
    void TearDown() override { killAll(L"bot.exe"); }
};

TEST_F(BrokenBot, EachBrokenAnswerShowsTheCutAnswerOrTheFailureAndThePanelRecovers) {
    ProgramFolder folder("broken-bot");
    Panel panel(folder);
    ASSERT_TRUE(panel.startLinked());
    killAll(L"bot.exe");
    RawBot bot(folder.port());
    ASSERT_TRUE(bot.bound());
    bot.play(phone("1"));
    folder.write("ws.txt", "");
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label4) == "phone:1"; })) << panel.text(Control::Label4);
    const std::size_t before = privateKiB(panel.processId());

    struct Case {
        const char* name;
        RawBot::Play play;
        const char* shown;  // Label4 when the answer must count; nullptr: the answer or the failure
    };
    const std::string big(2 << 20, 'h');
    const Case cases[] = {
        {"body past Content-Length", says("HTTP/1.1 200 OK\r\nContent-Length: 14\r\n\r\n{\"phone\":\"22\"}EXTRA"),
         "phone:22"},
        {"no status line", says("hello there\r\n\r\n"), nullptr},
        {"2 MiB header", says("HTTP/1.1 200 OK\r\nX-Big: " + big + "\r\nContent-Length: 2\r\n\r\nok"), nullptr},
        {"reset halfway",
         [](SOCKET s) {
             const std::string half = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"ph";
             send(s, half.data(), static_cast<int>(half.size()), 0);
             Sleep(200);
             const linger abort{1, 0};
             setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
         },
         nullptr},
        {"never answers",
         [](SOCKET s) {
             char byte;
             while (recv(s, &byte, 1, 0) > 0) {}
         },
         nullptr},
    };
    int number = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string previous = panel.text(Control::Label4);
        bot.play(c.play);
        std::string seen;
        // The poller's time-outs are 20 s: the failure's box or the cut answer comes within them and a tick.
        const bool shown = waitFor(
            [&] {
                if (panel.messageBoxOpen()) {
                    bot.play(phone(std::to_string(++number)));  // healthy again before the box is closed
                    seen = "box: " + panel.answerMessageBox(std::chrono::seconds(1)).text;
                    return true;
                }
                seen = "answer: " + panel.text(Control::Label4);
                return panel.text(Control::Label4) != previous;
            },
            std::chrono::seconds(30));
        std::printf("[ broken ] %-26s %s\n", c.name, seen.substr(0, 80).c_str());
        EXPECT_TRUE(shown) << seen;
        if (c.shown) {
            EXPECT_EQ(seen, std::string("answer: ") + c.shown);
        }
        if (seen.rfind("box: ", 0) == 0) {
            EXPECT_NE(seen.find("\r\n"), std::string::npos) << "number, line break, text";
        }
        bot.play(phone(std::to_string(++number)));
        const std::string label = "phone:" + std::to_string(number);
        const std::string ticks = panel.text(Control::Label1);
        EXPECT_TRUE(waitFor([&] {
            panel.answerMessageBox(std::chrono::milliseconds(50));  // one the broken answer may still have raised
            return panel.text(Control::Label4) == label && panel.text(Control::Label1) != ticks;
        })) << panel.text(Control::Label4);
    }
    std::printf("[ broken ] panel private bytes: %zu KiB before, %zu KiB after\n", before,
                privateKiB(panel.processId()));
}

}  // namespace
}  // namespace e2e
