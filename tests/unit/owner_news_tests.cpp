// What the owner learns without watching: outages and their summary, the alert on the owner's phone, the gap
// since the last run, and the tray menu's lines.
#include <gtest/gtest.h>

#include "app/bot_http.h"
#include "app/wall_clock.h"
#include "form_fixture.h"

namespace tavrio {
namespace {

using testing::FakePlatform;

class OwnerNews : public testing::FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        platform.localNow = {2026, 12, 7, 2, 13, 0, 0, 120};  // a Monday
        platform.now = 3 * 3600 * 1000;                       // Windows started three hours ago
    }
    void advance(std::uint64_t ms) {
        platform.now += ms;
        platform.localNow = secondsBefore(platform.localNow, -static_cast<std::int64_t>(ms / 1000));
    }
    // The window's timers as they fall due, a second at a time.
    void tickFor(std::uint64_t ms) {
        for (std::uint64_t at = 0; at < ms; at += 1000) {
            advance(1000);
            if (platform.timer != 0) form->timerTick();
            if (platform.botLifeTimer != 0 && platform.now >= platform.botLifeTimerSetAt + platform.botLifeTimer)
                form->botLifeTick();
        }
    }
    // Started, ready for a while, and the log emptied.
    void readyBot(const std::string& alertPhone = "", bool keepTheLog = false) {
        if (!keepTheLog) logged();
        platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|AlertPhone"] = alertPhone;
        loadAndStart();
        platform.put("\\ws.txt");
        tickFor(2000);
    }
    std::vector<std::string> logged(const std::string& containing = "") {
        std::vector<std::string> out;
        std::string& file = platform.files[FakePlatform::at("\\TavrioPanel.log")];
        for (std::size_t start = 0, end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2)
            if (file.find(containing, start) < end) out.push_back(file.substr(start + 31, end - start - 31));
        if (containing.empty()) file.clear();
        return out;
    }
    std::vector<std::string> alertsSent() const {
        std::vector<std::string> bodies;
        for (const HttpRequest& request : platform.requests)
            if (request.url.find("/send-text") != std::string::npos) bodies.push_back(request.body);
        return bodies;
    }
    testing::FakeProcess& bot() {
        for (auto process = platform.started.rbegin(); process != platform.started.rend(); ++process)
            if ((*process)->name == FakePlatform::at("\\bot.exe")) return **process;
        throw std::logic_error("no bot started");
    }
    std::string menu() {
        form->mouseDown(kRightButton, clsSysTray::notificationInTwips(516));
        std::string lines = text(ControlId::mnuState);
        if (c(ControlId::mnuOutage).visible) lines += " | " + text(ControlId::mnuOutage);
        return lines;
    }
};

TEST_F(OwnerNews, WhatBeginsAndEndsAnOutageAndWhatIsNone) {
    readyBot();
    EXPECT_EQ(menu(), "Bot ready since 02:13 (less than a minute)");
    // The user's STOP and START, and the bot's own restart request: no outage.
    form->click(ControlId::Command1);
    EXPECT_EQ(menu(), "Stopped");
    form->click(ControlId::cmdStart);
    platform.put("\\ssreomve.txt");
    tickFor(70000);
    EXPECT_TRUE(logged("Outage").empty());

    // A crash: ended on its own, started again, ready for a minute.
    bot().ended = 0xC0000005;
    tickFor(1000);
    EXPECT_EQ(menu(), "Starting bot.exe again in 1 s");
    tickFor(2000);
    platform.put("\\ws.txt");
    tickFor(59000);
    EXPECT_TRUE(logged("Outage").empty()) << "ready, but not yet for a minute";
    tickFor(2000);
    EXPECT_EQ(logged("Outage"), std::vector<std::string>{"Outage 02:14 to 02:14, 1 restart, exit code 0xC0000005 "
                                                         "(less than a minute): the bot is ready again"});
    EXPECT_EQ(menu(),
              "Bot ready since 02:14 (1 minute) | Last outage: 02:14 to 02:14, 1 restart, exit code "
              "0xC0000005");

    // A phone unlinked (ready goes back to waiting), a hang, a failed start: each its cause; STOP ends one too.
    platform.files.erase(FakePlatform::at("\\ws.txt"));
    tickFor(3000);
    platform.put("\\ws.txt");
    tickFor(61000);
    EXPECT_NE(logged("Outage").back().find(", phone unlinked (less than a minute): the bot is ready again"),
              std::string::npos);
    platform.defaultAnswer = FakePlatform::refused();
    platform.nextProgramStart = {false, 0, "File not found", nullptr};
    tickFor(70000);
    EXPECT_EQ(menu().rfind("Starting bot.exe again in", 0), 0u);
    form->click(ControlId::Command1);
    EXPECT_NE(logged("Outage").back().find(", 2 restarts, could not start: ended by the user"), std::string::npos);
    EXPECT_EQ(logged("Outage").size(), 3u) << "the hang and the failed starts after it are one outage";
}

TEST_F(OwnerNews, AnAlertGoesOnceForALongOutageWithinTheDaysCapAndIsTriedOnceMore) {
    // The phone's digits count; a setting that has too few or too many is not used, and says so.
    for (const char* phone : {"1234567", "1234567890123456", "+38 (050) 123-45-67"}) {
        readyBot(phone);
        EXPECT_EQ(logged("Alerts go to").size(), std::string(phone).size() > 16 ? 1u : 0u) << phone;
    }
    form->textEdited(ControlId::txtPhone, "919812345678");
    form->textEdited(ControlId::txtMessage, "Meet me at noon");
    const auto crashFor = [&](std::uint64_t downMs) {
        bot().ended = 3;
        platform.files.erase(FakePlatform::at("\\ws.txt"));
        tickFor(downMs);
        platform.put("\\ws.txt");
        tickFor(61000);
    };
    crashFor(60000);
    EXPECT_TRUE(alertsSent().empty()) << "under two minutes";
    crashFor(150000);
    ASSERT_EQ(alertsSent().size(), 1u);
    const std::string body = alertsSent().back();
    EXPECT_EQ(body, R"({"phone":"380501234567","text":"DEMO SHOP panel: bot.exe was down from 02:15 to 02:17 )"
                    R"((1 restart, last exit code 3). It is ready again."})");
    for (const char* secret : {"qvx", "Meet me", "919812345678"}) EXPECT_EQ(body.find(secret), std::string::npos);
    EXPECT_EQ(platform.requests.back().timeouts.receiveMs, 5000);
    EXPECT_TRUE(platform.shown.empty()) << "no box";
    EXPECT_EQ(logged("Alert sent to ****4567: status 200").size(), 1u);
    tickFor(120000);
    EXPECT_EQ(alertsSent().size(), 1u) << "once an outage";

    // A failed alert is tried once more five minutes later, then given up; a time-out counts as sent.
    platform.pageAnswers["/send-text"] = FakePlatform::answer("busy", 503);
    crashFor(150000);
    EXPECT_EQ(alertsSent().size(), 2u);
    tickFor(4 * 60000);
    EXPECT_EQ(alertsSent().size(), 2u);
    tickFor(60000);
    EXPECT_EQ(alertsSent().size(), 3u);
    EXPECT_EQ(logged("given up after two tries").size(), 1u);
    platform.pageAnswers["/send-text"] = {false, 0, "", kTimedOutError, "The operation timed out"};
    crashFor(150000);
    EXPECT_EQ(logged("Alert sent to ****4567: timed out").size(), 1u);
    tickFor(10 * 60000);
    EXPECT_EQ(alertsSent().size(), 4u) << "never twice";

    // Six a local day, counted again from the log at start: a restarted panel sends none more today.
    platform.pageAnswers.clear();
    for (int outage = 0; outage < 4; ++outage) crashFor(150000);
    EXPECT_EQ(logged("Alert sent to").size(), 6u);
    form->click(ControlId::exitapp);
    readyBot("+38 (050) 123-45-67", true);
    const std::size_t before = alertsSent().size();
    crashFor(150000);
    EXPECT_EQ(alertsSent().size(), before);
    EXPECT_EQ(logged("no more until tomorrow").size(), 1u);
    advance(24 * 3600 * 1000);
    crashFor(150000);
    EXPECT_EQ(alertsSent().size(), before + 1) << "a new day";
}

TEST_F(OwnerNews, TheGapSinceTheLastRunFromTheLogsEnd) {
    struct Case {
        const char* lastLine;
        std::uint64_t bootedMsAgo;
        const char* outage;  // as the menu says it once the bot has been ready a minute; "" for none
    };
    const Case cases[] = {
        {"2026-12-07 01:00:00.000 +02:00 Tavrio Panel ends: Exit in the tray menu", 60000, ""},
        {"2026-12-07 02:00:00.000 +02:00 Tavrio Panel ends: Windows is ending the session", 12 * 60000,
         "Last outage: 02:00 to 02:13, Windows restarted"},
        {"2026-12-06 22:00:00.000 +02:00 Tavrio Panel ends: Windows is ending the session", 3600000, ""},
        {"2026-12-06 23:30:00.000 +02:00 The bot is still ready", 60000,
         "Last outage: some time after Sun 23:30 to 02:13, the panel was not running"},
        {"2026-12-07 03:00:00.000 +02:00 The bot is still ready", 60000, ""},  // a clock gone back
    };
    for (const bool rotated : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.lastLine);
            platform.files.clear();
            SetUp();
            platform.now = c.bootedMsAgo;
            platform.put(rotated ? "\\TavrioPanel.log.1" : "\\TavrioPanel.log",
                         std::string("cut in its mid") + "\r\n" + c.lastLine + "\r\n");
            if (rotated) platform.put("\\TavrioPanel.log");
            loadAndStart();
            platform.put("\\ws.txt");
            tickFor(61000);
            std::string seen = menu();
            seen = seen.find(" | ") == std::string::npos ? "" : seen.substr(seen.find(" | ") + 3);
            EXPECT_EQ(seen, c.outage);
        }
    }
    // A ready bot writes one line an hour, so that a log without an end line is never more than an hour out.
    logged();
    tickFor(2 * 3600 * 1000);
    EXPECT_EQ(logged("still ready").size(), 2u);
    // The menu's log item opens it in Notepad, or says that there is none yet.
    form->click(ControlId::mnuLog);
    EXPECT_EQ(platform.logMatching("notepad"), std::vector<std::string>{"notepad C:\\panel\\TavrioPanel.log"});
    platform.files.erase(FakePlatform::at("\\TavrioPanel.log"));
    form->click(ControlId::mnuLog);
    EXPECT_EQ(platform.shown.back().first, "There is no support log yet: C:\\panel\\TavrioPanel.log");
}

}  // namespace
}  // namespace tavrio
