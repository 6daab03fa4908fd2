// Keeping the bot up through the window: a bot that ends, hangs or cannot start while nobody is at the screen,
// decided by its life and done by the window.
#include <gtest/gtest.h>

#include <algorithm>

#include "form_fixture.h"

namespace tavrio {
namespace {

using testing::FakePlatform;

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
    // Milliseconds until the start that the bot's life has due; 0 when none is.
    std::uint64_t pause() const {
        const auto at = form->botLife().startDueAtMs();
        return at ? *at - platform.now : 0;
    }
    // The window's timer falls due at the time the bot's life asked for.
    void lifeTimerFires() {
        ASSERT_NE(platform.botLifeTimer, 0u);
        platform.now += platform.botLifeTimer;
        form->botLifeTick();
    }
    // The timer fires until the panel's start is made (it may first end what a stopped bot started).
    void untilTheStart() {
        const std::size_t before = launches();  // a failed one too
        for (int i = 0; i < 4 && launches() == before; ++i) lifeTimerFires();
    }
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

TEST_F(KeepingTheBotUp, ABotThatEndsIsStartedAgainAfterItsPauseUntilItLoopsThenEveryQuarterOfAnHour) {
    loadAndStart();
    platform.trayCalls.clear();
    // Runs of three minutes: too short to end the series, too far apart to be a loop.
    for (int end = 1; end <= 8; ++end) {
        const std::size_t before = launches();
        readyThenEnds(3, 3 * 60000);
        expectDown("bot.exe stopped: starting it again");
        ASSERT_EQ(pause(), std::min(1000u << (end - 1), 60000u)) << end;
        EXPECT_EQ(launches(), before) << "a timer, never a sleep";
        untilTheStart();
        EXPECT_EQ(launches(), before + 1) << "START's whole action";
        EXPECT_EQ(platform.timer, 1000u);
    }
    EXPECT_EQ(balloons(), std::vector<std::string>{"bot.exe has stopped (exit code 3); starting it again"});

    // A bot that ran long, then cannot be started at all (deleted, quarantined): each failed start is a run of no
    // length, never a healthy one, and shows no box, which nobody may be there to answer.
    readyThenEnds(0xC0000005, 6 * 60000);
    platform.nextProgramStart = {false, 0, "File not found", nullptr};
    platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|KeepRunning"] = "";
    for (int start = 0; start < 6 && !form->botLife().givenUp(); ++start) untilTheStart();
    EXPECT_TRUE(form->botLife().givenUp());
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_EQ(pause(), 15u * 60000);
    expectDown("bot.exe keeps stopping: next try at 00:15");
    ASSERT_EQ(balloons().size(), 3u);
    EXPECT_EQ(balloons()[2].rfind("bot.exe could not be started again (File not found), again and again", 0), 0u);
    for (const auto& [message, record] : platform.trayCalls)
        if (testing::read32(record, tray_field::uFlags) == nif::Info)
            EXPECT_EQ(testing::read32(record, tray_field::dwInfoFlags), 0x80u) << "quiet time respected";

    // Given up: one try a quarter of an hour, in silence, until one runs five minutes.
    std::size_t before = launches();
    for (int tries = 1; tries <= 3; ++tries) {
        platform.now += 14 * 60000;
        form->botLifeTick();  // not yet
        EXPECT_EQ(launches(), before + tries - 1);
        untilTheStart();
        EXPECT_EQ(launches(), before + tries);
    }
    platform.nextProgramStart = {true, 4242, "", nullptr};
    platform.now += 15 * 60000;
    untilTheStart();
    EXPECT_EQ(balloons().size(), 3u) << "none between";
    for (int tick = 0; tick < 3; ++tick) form->timerTick();
    EXPECT_FALSE(platform.visible) << "the panel's own START brings the window up only for its QR code";
    platform.now += 5 * 60000;
    form->timerTick();
    EXPECT_FALSE(form->botLife().givenUp());
    EXPECT_EQ(balloons().back(), "bot.exe runs again and waits for its QR code to be scanned");
    form->timerTick();
    EXPECT_EQ(balloons().size(), 4u) << "once";

    // The user's START begins a new series; STOP, Exit and Remove Session cancel a start that was due.
    form->click(ControlId::cmdStart);
    for (const ControlId cancel : {ControlId::Command1, ControlId::Command3, ControlId::exitapp}) {
        readyThenEnds(3);
        ASSERT_EQ(pause(), 1000u);
        before = launches();
        if (cancel == ControlId::Command3) form->click(ControlId::Command1);  // shown once stopped
        form->click(cancel);
        EXPECT_EQ(pause(), 0u);
        platform.now += 60000;
        form->botLifeTick();  // one that was already due
        EXPECT_EQ(launches(), before);
        if (cancel != ControlId::exitapp) form->click(ControlId::cmdStart);
    }
}

TEST_F(KeepingTheBotUp, EndsThatAreNotTheBotsOwnAreNotStartedAgainAndWhatAStoppedBotStartedEndsLater) {
    // Ended by the session's end, or after asking for a restart (the poller's).
    loadAndStart();
    readyThenEnds(0x40010004);
    expectDown("Bot offline");
    EXPECT_EQ(pause(), 0u);
    form->click(ControlId::cmdStart);
    platform.started.back()->ended = 0;
    platform.put("\\ssreomve.txt");
    platform.clearLog();
    form->timerTick();
    EXPECT_EQ(pause(), 0u);
    EXPECT_EQ(launches(), 1u) << "restarted by the poller at once";

    // STOP returns at once; what the bot started ends a few seconds later, on the timer. Ended by STOP: no news.
    platform.trayCalls.clear();
    platform.clearLog();
    form->click(ControlId::Command1);
    EXPECT_TRUE(platform.logMatching({"end-tree", "wait-for-end"}).empty());
    EXPECT_EQ(platform.botLifeTimer, BotLife::kEndWhatItStartedAfterMs);
    for (const auto& process : platform.started) process->ended = 1;
    form->timerTick();
    lifeTimerFires();
    EXPECT_EQ(platform.logMatching("end-tree").size(), 3u) << "every bot stopped since";
    EXPECT_TRUE(balloons().empty());

    // Switched off in conf.ini: the panel stops and says so once, as it always did, and what the bot started stays
    // until the next START, STOP or Exit.
    platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|KeepRunning"] = "off";
    loadAndStart();
    platform.trayCalls.clear();
    readyThenEnds(3);
    expectDown("Bot offline");
    EXPECT_EQ(platform.botLifeTimer, 0u);
    EXPECT_EQ(balloons(), std::vector<std::string>{"bot.exe has stopped (exit code 3)"});
    form->click(ControlId::Command1);
    lifeTimerFires();
    EXPECT_EQ(platform.logMatching("end-tree " + std::string(FakePlatform::at("\\bot.exe"))).size(), 1u);
}

TEST_F(KeepingTheBotUp, OnlyAReadyBotThatAnswersNothingForAMinuteThoughAskedAgainIsEndedAsHung) {
    // Each tick falls due a second after the last; while the failure box is open, the ticks behind it ask again.
    const auto silentFor = [&](std::uint64_t ms, const std::function<void()>& meanwhile = nullptr) {
        platform.defaultAnswer = FakePlatform::refused();
        platform.onShow = [&, ms](const std::string&) {
            const std::string ticks = text(ControlId::Label1);
            for (std::uint64_t at = 0; at < ms; at += 1000) {
                platform.now += 1000;
                if (meanwhile) meanwhile();
                form->timerTick();
            }
            EXPECT_EQ(text(ControlId::Label1), ticks) << "the ticks behind the box changed nothing of the window";
        };
        form->timerTick();
        platform.onShow = nullptr;
        platform.defaultAnswer = FakePlatform::answer("");
    };
    const auto killed = [&] { return !platform.logMatching("command taskkill").empty(); };
    for (const bool switchedOff : {false, true}) {
        platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|KeepRunning"] = switchedOff ? "0" : "";
        loadAndStart();
        platform.shown.clear();
        platform.put("\\ws.txt");
        silentFor(90000);
        EXPECT_FALSE(killed()) << "never answered since its start";
        form->timerTick();  // answers
        // An error status is an answer; a port changed meanwhile is the user's doing.
        platform.answers = {FakePlatform::answer("busy", 503)};
        platform.now += 90000;
        form->timerTick();
        silentFor(90000, [&] { form->textEdited(ControlId::txtPort, "3034"); });
        form->textEdited(ControlId::txtPort, "3033");
        form->timerTick();  // answers again
        // Not ready any more: the phone was unlinked, and the bot shows its QR code while someone may be scanning.
        silentFor(1000, [&] {
            platform.files.erase(FakePlatform::at("\\ws.txt"));
            platform.put("\\qr.txt", "code");
        });
        platform.now += 120000;
        form->timerTick();
        EXPECT_FALSE(killed());
        platform.put("\\ws.txt");
        form->timerTick();  // ready again and answers
        // One missed answer with nobody at the box: the ticks behind it find the bot answering again.
        int asked = 0;
        silentFor(70000, [&] {
            if (++asked == 20) platform.defaultAnswer = FakePlatform::answer("");
        });
        EXPECT_FALSE(killed());
        EXPECT_EQ(platform.shown.size(), 4u) << "no box behind the box";

        silentFor(59000);
        EXPECT_FALSE(killed()) << "not yet a minute";
        platform.clearLog();
        silentFor(1000);  // a minute after the first failure, asked again meanwhile, with its box still open
        if (switchedOff) {
            EXPECT_FALSE(killed());
            continue;
        }
        EXPECT_EQ(platform.logMatching({"close-box", "command taskkill"}),
                  (std::vector<std::string>{"close-box 1", "command taskkill /f /im bot.exe hidden"}));
        expectDown("bot.exe stopped: starting it again");
        EXPECT_EQ(pause(), 1000u);
        EXPECT_EQ(
            balloons().back(),
            "bot.exe stopped answering (A connection with the server could not be established); starting it again");
        EXPECT_EQ(text(ControlId::Label4), "") << "the tick behind the box changed nothing more";
    }
}

TEST_F(KeepingTheBotUp, TheSystemStaysAwakeWhileTheBotIsKeptOnMainsPowerAndThePanelAsksToBeRestarted) {
    load();
    EXPECT_TRUE(platform.registeredForRestart);
    const std::pair<std::function<void()>, bool> steps[] = {
        {[] {}, false},
        {[&] { form->click(ControlId::cmdStart); }, true},
        {[&] { readyThenEnds(3); }, true},                                    // in the pause
        {[&] { platform.mainsPower = false, form->powerChanged(); }, false},  // a laptop on battery may sleep
        {[&] { platform.mainsPower = true, form->powerChanged(); }, true},
        {[&] { form->click(ControlId::Command1); }, false},
        {[&] { form->click(ControlId::cmdStart); }, true},
        {[&] { form->click(ControlId::exitapp); }, false},
        {[&] { platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|KeepAwake"] = "0", loadAndStart(); },
         false},
        {[&] {
             platform.profile = {{FakePlatform::at("\\conf.ini") + "|tavriobot|KeepRunning", "0"}}, loadAndStart();
         },
         false},
    };
    for (std::size_t step = 0; step < std::size(steps); ++step) {
        steps[step].first();
        EXPECT_EQ(platform.awake, steps[step].second) << step;
    }
}

}  // namespace
}  // namespace tavrio
