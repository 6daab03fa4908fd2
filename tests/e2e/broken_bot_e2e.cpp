// The panel against a bot that speaks broken HTTP on its port: raw answers played on the socket, one panel
// session. Each broken answer shows the cut answer or the failure, the panel keeps ticking, and the next
// well-behaved answer is shown again.
#include "../win32/raw_bot.h"  // Winsock before windows.h

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "panel_driver.h"

namespace e2e {
namespace {

using tavrio::testing::RawBot;

RawBot::Play phone(const std::string& number) {
    const std::string body = "{\"phone\":\"" + number + "\"}";
    return RawBot::says("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
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
    // The linked bot stays alive (a bot that ends is a STOP of its own), and the port box points the poller at
    // the broken one.
    RawBot bot;
    ASSERT_TRUE(bot.bound());
    bot.play(phone("1"));
    panel.typeText(Control::txtPort, std::to_string(bot.port()));
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label4) == "phone:1"; })) << panel.text(Control::Label4);
    const std::size_t before = privateKiB(panel.processId());

    struct Case {
        const char* name;
        RawBot::Play play;
        const char* shown;  // Label4 when the answer must count; nullptr: the answer or the failure
    };
    const std::string big(2 << 20, 'h');
    const Case cases[] = {
        {"body past Content-Length",
         RawBot::says("HTTP/1.1 200 OK\r\nContent-Length: 14\r\n\r\n{\"phone\":\"22\"}EXTRA"), "phone:22"},
        {"no status line", RawBot::says("hello there\r\n\r\n"), nullptr},
        {"2 MiB header", RawBot::says("HTTP/1.1 200 OK\r\nX-Big: " + big + "\r\nContent-Length: 2\r\n\r\nok"), nullptr},
        {"reset halfway", RawBot::resetsAfter("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"ph"), nullptr},
        {"never answers", RawBot::silent(), nullptr},
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
                const std::string label = panel.text(Control::Label4);
                seen = "answer: " + label;
                return label != previous;
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

// Send against a bot that takes the connection and never answers: the failure's box comes, whatever the
// platform. Waited for generously: that it comes is checked, how soon is only printed.
TEST_F(BrokenBot, SendToABotThatNeverAnswersShowsTheTimeoutFailure) {
    ProgramFolder folder("silent-send");
    RawBot bot;  // outlives the panel: it holds the connection until the panel lets go
    ASSERT_TRUE(bot.bound());
    bot.play(RawBot::silent());
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    panel.typeText(Control::txtPort, std::to_string(bot.port()));

    const auto clicked = std::chrono::steady_clock::now();
    panel.click(Control::Command2);
    const MessageBoxSeen box = panel.answerMessageBox(std::chrono::minutes(3));
    const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - clicked;
    std::printf("[ broken ] Send to a silent bot: %s after %.1f s\n", box.found ? "the failure's box" : "no box",
                waited.count());
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text.rfind("-2147012894\r\n", 0), 0u) << box.text;  // ERROR_WINHTTP_TIMEOUT
}

}  // namespace
}  // namespace e2e
