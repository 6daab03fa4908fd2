#include <gtest/gtest.h>

#include <algorithm>

#include "form_fixture.h"

namespace tavrio {
namespace {

// ---- Through the window: a bot that ends or hangs while nobody is at the screen

class KeepingTheBotUp : public testing::FormTest {
protected:
    std::vector<std::string> balloons() const {
        std::vector<std::string> texts;
        for (const auto& [message, record] : platform.trayCalls)
            if (message == TrayMessage::Modify && testing::read32(record, tray_field::uFlags) == nif::Info)
                texts.push_back(testing::readField(record, tray_field::szInfo, tray_field::kInfoChars).c_str());
        return texts;
    }
    std::size_t launches() const { return platform.logMatching("program").size(); }
    void readyThenEnds(std::uint32_t code, std::uint64_t afterMs = 500) {
        platform.put("\\ws.txt");
        form->timerTick();
        platform.now += afterMs;
        platform.started.back()->ended = code;
        form->timerTick();
    }
    // Stopped as STOP leaves it, and never ready while the bot is down.
    void expectDown(const std::string& tooltip) {
        EXPECT_EQ(text(ControlId::lblStatus), "? BOT offline");
        EXPECT_EQ(platform.timer, 0u);
        EXPECT_EQ(form->sysTray()->TooltipText(), tooltip);
        EXPECT_EQ(form->sysTray()->record().hIcon, testing::pictureHandle(0));
    }
};

TEST_F(KeepingTheBotUp, ABotThatEndsIsStartedAgainAfterItsPauseUntilItLoops) {
    loadAndStart();
    platform.trayCalls.clear();
    // Runs of three minutes: too short to end the series, too far apart to be a loop.
    for (int end = 1; end <= 8; ++end) {
        const std::size_t before = launches();
        readyThenEnds(3, 3 * 60000);
        expectDown("bot.exe stopped: starting it again");
        ASSERT_EQ(platform.botLifeTimer, std::min(1000u << (end - 1), 60000u)) << end;
        EXPECT_EQ(launches(), before) << "a timer, never a sleep";
        platform.now += platform.botLifeTimer;
        form->botLifeTick();
        EXPECT_EQ(launches(), before + 1) << "START's whole action";
        EXPECT_EQ(platform.timer, 1000u);
        EXPECT_EQ(platform.botLifeTimer, 0u);
    }
    EXPECT_EQ(balloons(), std::vector<std::string>{"bot.exe has stopped (exit code 3); starting it again"});
    // Quick ends: the fifth end within ten minutes gives up, and says so once.
    int quick = 0;
    while (platform.botLifeTimer == 0 && quick < 5) {
        readyThenEnds(0xC0000005);
        ++quick;
        if (platform.botLifeTimer == 0) break;
        EXPECT_EQ(platform.botLifeTimer, 60000u) << "at most a minute";
        platform.now += platform.botLifeTimer;
        form->botLifeTick();
    }
    EXPECT_LE(quick, 3);
    expectDown("bot.exe keeps stopping: press Start");
    EXPECT_EQ(platform.botLifeTimer, 0u);
    ASSERT_EQ(balloons().size(), 2u);
    EXPECT_EQ(balloons().back().rfind("bot.exe has stopped (exit code 0xC0000005), again and again", 0), 0u);
    for (const auto& [message, record] : platform.trayCalls)
        if (testing::read32(record, tray_field::uFlags) == nif::Info)
            EXPECT_EQ(testing::read32(record, tray_field::dwInfoFlags), 0x80u) << "quiet time respected";

    // The user's START begins a new series; a bot that has run five minutes ends one too.
    form->click(ControlId::cmdStart);
    readyThenEnds(3);
    EXPECT_EQ(platform.botLifeTimer, 1000u);
    EXPECT_EQ(balloons().size(), 3u);
    form->botLifeTick();
    readyThenEnds(3, 5 * 60000);
    EXPECT_EQ(platform.botLifeTimer, 1000u);
    EXPECT_EQ(balloons().size(), 4u);

    // During the pause START starts at once; STOP and Exit cancel the start that was due.
    form->click(ControlId::cmdStart);
    EXPECT_EQ(platform.botLifeTimer, 0u);
    for (const ControlId cancel : {ControlId::Command1, ControlId::exitapp}) {
        readyThenEnds(3);
        ASSERT_NE(platform.botLifeTimer, 0u);
        const std::size_t before = launches();
        form->click(cancel);
        EXPECT_EQ(platform.botLifeTimer, 0u);
        form->botLifeTick();  // one that was already due
        EXPECT_EQ(launches(), before);
        if (cancel == ControlId::Command1) form->click(ControlId::cmdStart);
    }

    // A start after the pause that fails shows no box, which nobody may be there to answer: it is one more end.
    loadAndStart();
    readyThenEnds(3);
    platform.nextProgramStart = {false, 0, "gone", nullptr};
    form->botLifeTick();
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_EQ(platform.botLifeTimer, 2000u);
    expectDown("bot.exe stopped: starting it again");
    for (int end = 3; end <= 5; ++end) form->botLifeTick();
    expectDown("bot.exe keeps stopping: press Start");
}

TEST_F(KeepingTheBotUp, EndsThatAreNotTheBotsOwnAreNotStartedAgain) {
    // Ended by the session's end, or after asking for a restart (the poller's); STOP, Exit and a close are above.
    loadAndStart();
    readyThenEnds(0x40010004);
    expectDown("Bot offline");
    EXPECT_EQ(platform.botLifeTimer, 0u);
    form->click(ControlId::cmdStart);
    platform.started.back()->ended = 0;
    platform.put("\\ssreomve.txt");
    platform.clearLog();
    form->timerTick();
    EXPECT_EQ(platform.botLifeTimer, 0u);
    EXPECT_EQ(launches(), 1u) << "restarted by the poller at once";
    // Ended by STOP: no news, also for a tick that was already due.
    platform.trayCalls.clear();
    form->click(ControlId::Command1);
    for (const auto& process : platform.started) process->ended = 1;
    form->timerTick();
    EXPECT_TRUE(balloons().empty());
    // Switched off in conf.ini: the panel stops and says so once, as it always did.
    platform.profile[testing::FakePlatform::at("\\conf.ini") + "|tavriobot|KeepRunning"] = " 0 ";
    loadAndStart();
    platform.trayCalls.clear();
    readyThenEnds(3);
    expectDown("Bot offline");
    EXPECT_EQ(platform.botLifeTimer, 0u);
    EXPECT_EQ(balloons(), std::vector<std::string>{"bot.exe has stopped (exit code 3)"});
}

TEST_F(KeepingTheBotUp, AReadyBotSilentForAMinuteIsEndedAndStartedAgain) {
    const auto silentFor = [&](std::uint64_t ms, const std::function<void()>& meanwhile = nullptr) {
        platform.defaultAnswer = testing::FakePlatform::refused();
        platform.onShow = [&, ms](const std::string&) {
            platform.now += ms;
            if (meanwhile) meanwhile();
            form->timerTick();  // falls due while the failure box is open
        };
        form->timerTick();
        platform.onShow = nullptr;
        platform.defaultAnswer = testing::FakePlatform::answer("");
    };
    for (const bool switchedOff : {false, true}) {
        platform.profile[testing::FakePlatform::at("\\conf.ini") + "|tavriobot|KeepRunning"] = switchedOff ? "0" : "";
        loadAndStart();
        platform.put("\\ws.txt");
        // Never answered since its start: not counted.
        silentFor(90000);
        EXPECT_TRUE(platform.logMatching("command taskkill").empty());
        form->timerTick();  // answers
        // An error status is an answer; a port changed meanwhile is the user's doing.
        platform.answers = {testing::FakePlatform::answer("busy", 503)};
        platform.now += 90000;
        form->timerTick();
        silentFor(90000, [&] { form->textEdited(ControlId::txtPort, "3034"); });
        EXPECT_TRUE(platform.logMatching("command taskkill").empty());
        EXPECT_EQ(text(ControlId::lblStatus), "BOT READY");
        form->textEdited(ControlId::txtPort, "3033");
        form->timerTick();  // answers again

        silentFor(59000);
        EXPECT_TRUE(platform.logMatching("command taskkill").empty()) << "not yet a minute";
        platform.clearLog();
        silentFor(1000);  // a minute after the first failure, with its box still open
        if (switchedOff) {
            EXPECT_TRUE(platform.logMatching("command taskkill").empty());
            continue;
        }
        EXPECT_EQ(platform.logMatching({"close-box", "command taskkill"}),
                  (std::vector<std::string>{"close-box", "command taskkill /f /im bot.exe hidden"}));
        expectDown("bot.exe stopped: starting it again");
        EXPECT_EQ(platform.botLifeTimer, 1000u);
        EXPECT_EQ(
            balloons().back(),
            "bot.exe stopped answering (A connection with the server could not be established); starting it again");
        EXPECT_EQ(text(ControlId::Label4), "") << "the tick behind the box changed nothing more";
        // Once the kill has ended it, whatever the hung bot started is ended too.
        for (const auto& process : platform.started) process->ended = 1;
        form->botLifeTick();
        EXPECT_EQ(platform.logMatching("end-tree"), std::vector<std::string>{"end-tree C:\\panel\\bot.exe"});
    }
}

}  // namespace
}  // namespace tavrio
