#include "form_fixture.h"

namespace tavrio {
namespace {

using testing::FakePlatform;
using testing::FormTest;

class BotControl : public FormTest {};

TEST_F(BotControl, StartEndsEveryBotClearsTheOldMarkersAndLaunchesHidden) {
    load();
    for (const char* name : {"\\qr.txt", "\\ws.txt", "\\start.txt"}) platform.put(name);
    form->click(ControlId::cmdStart);
    for (const char* name : {"\\qr.txt", "\\ws.txt", "\\start.txt"}) EXPECT_FALSE(platform.has(name)) << name;
    EXPECT_EQ(platform.logMatching({"command", "program"}),
              (std::vector<std::string>{"command taskkill /f /im bot.exe hidden", "command  timeout /t 2 minimized",
                                        "program C:\\panel\\bot.exe hidden"}));
    EXPECT_EQ(platform.timer, 1000u);
    EXPECT_EQ(text(ControlId::txtPhone), "");
    EXPECT_EQ(text(ControlId::txtMessage), "");
    EXPECT_TRUE(c(ControlId::Label2).visible);
    EXPECT_FALSE(c(ControlId::Command3).visible);
    EXPECT_FALSE(c(ControlId::cmdStart).enabled);
    EXPECT_FALSE(c(ControlId::mnustart).enabled);
    EXPECT_EQ(text(ControlId::Label3), "4242");
    EXPECT_EQ(form->botTaskId(), 4242);
    EXPECT_EQ(text(ControlId::lblStatus), "? BOT offline");
    EXPECT_EQ(c(ControlId::lblStatus).textColor, kRed);
    EXPECT_EQ(form->tickCount(), 0);
    // While running, neither START nor the tray's Start does anything.
    platform.clearLog();
    form->click(ControlId::cmdStart);
    form->click(ControlId::mnustart);
    EXPECT_TRUE(platform.log.empty());
}

TEST_F(BotControl, StartFileWrittenDuringTheWaitBlocksTheLaunch) {
    load();
    platform.onSleep = [this](std::uint32_t) { platform.put("\\start.txt"); };
    form->click(ControlId::cmdStart);
    EXPECT_TRUE(platform.logMatching("program").empty());
    EXPECT_EQ(text(ControlId::Label3), "0");
    EXPECT_EQ(platform.timer, 1000u) << "the window still runs and polls";

    // Later, with a previous launch, the old id stays on show.
    form->click(ControlId::Command1);
    platform.onSleep = nullptr;
    form->click(ControlId::cmdStart);
    EXPECT_EQ(text(ControlId::Label3), "4242");
    form->click(ControlId::Command1);
    platform.nextProgramStart.processId = 5000;
    platform.onSleep = [this](std::uint32_t) { platform.put("\\start.txt"); };
    form->click(ControlId::cmdStart);
    EXPECT_EQ(text(ControlId::Label3), "4242");
}

TEST_F(BotControl, MissingBotReportsThePathAndReasonAndStaysStopped) {
    load();
    platform.nextProgramStart = {false, 0, "The system cannot find the file specified.", nullptr};
    form->click(ControlId::cmdStart);
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].first, "Cannot start C:\\panel\\bot.exe\r\nThe system cannot find the file specified.");
    EXPECT_EQ(platform.shown[0].second, MessageIcon::Error);
    EXPECT_EQ(platform.timer, 0u);
    EXPECT_TRUE(c(ControlId::cmdStart).enabled);
    EXPECT_TRUE(c(ControlId::mnustart).enabled);
    // Fixed, START works again.
    platform.nextProgramStart = {true, 77, "", nullptr};
    form->click(ControlId::mnustart);
    EXPECT_EQ(platform.timer, 1000u);
    EXPECT_EQ(text(ControlId::Label3), "77");
}

TEST_F(BotControl, StopEndsEveryBotClearsItsMarkersAndLeavesTheStoppedState) {
    loadAndStart();
    for (const char* name : {"\\qr.txt", "\\ws.txt", "\\start.txt"}) platform.put(name);
    form->click(ControlId::Command1);
    EXPECT_EQ(platform.logMatching({"command", "program"}),
              (std::vector<std::string>{"command taskkill /f /im bot.exe hidden", "command  timeout /t 2 minimized"}));
    for (const char* name : {"\\qr.txt", "\\ws.txt"}) EXPECT_FALSE(platform.has(name)) << name;
    EXPECT_EQ(platform.timer, 0u);
    EXPECT_TRUE(platform.has("\\start.txt")) << "START deletes it, not STOP";
    EXPECT_TRUE(c(ControlId::Command3).visible);
    EXPECT_TRUE(c(ControlId::cmdStart).enabled);
    EXPECT_TRUE(c(ControlId::mnustart).enabled);
    EXPECT_EQ(text(ControlId::Label4), "");
    EXPECT_EQ(text(ControlId::lblStatus), "? BOT offline");
    EXPECT_EQ(c(ControlId::lblStatus).textColor, kRed);
    EXPECT_EQ(form->sysTray()->record().hIcon, testing::pictureHandle(0));
    EXPECT_EQ(form->sysTray()->TooltipText(), "Bot offline");
    EXPECT_EQ(form->tickCount(), 1);
    EXPECT_EQ(text(ControlId::Label3), "4242") << "the last id stays";
}

TEST_F(BotControl, StopWhileStoppedAndTrayStopEndTheSame) {
    load();
    form->click(ControlId::Command1);
    const ControlSet afterFirst = [&] {
        ControlSet s;
        for (std::size_t i = 0; i < kControlCount; ++i) s[i] = form->control(static_cast<ControlId>(i));
        return s;
    }();
    platform.clearLog();
    form->click(ControlId::mnuStop);
    EXPECT_EQ(platform.logMatching("command").size(), 2u) << "every step runs again";
    for (std::size_t i = 0; i < kControlCount; ++i) {
        EXPECT_EQ(form->control(static_cast<ControlId>(i)).text, afterFirst[i].text);
        EXPECT_EQ(form->control(static_cast<ControlId>(i)).visible, afterFirst[i].visible);
        EXPECT_EQ(form->control(static_cast<ControlId>(i)).enabled, afterFirst[i].enabled);
    }
    EXPECT_TRUE(c(ControlId::Command1).enabled);
    EXPECT_TRUE(c(ControlId::mnuStop).enabled);
}

TEST_F(BotControl, UndeletableMarkersNeverStopStartOrStop) {
    load();
    for (const char* name : {"\\qr.txt", "\\ws.txt"}) {
        platform.put(name);
        platform.undeletable.insert(FakePlatform::at(name));
    }
    form->click(ControlId::cmdStart);
    EXPECT_EQ(platform.timer, 1000u);
    form->click(ControlId::Command1);
    EXPECT_EQ(platform.timer, 0u);
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(BotControl, RemoveSessionDeletesAlwaysAndWaitsASecondButOnlyWhileShown) {
    load();
    form->click(ControlId::cmdStart);
    platform.put("\\session.db");
    form->click(ControlId::Command3);  // hidden while the bot runs, yet sent as a command from outside
    EXPECT_TRUE(platform.has("\\session.db"));
    form->click(ControlId::Command1);  // shows the button
    for (bool present : {true, false}) {
        if (present) platform.put("\\session.db");
        platform.clearLog();
        form->click(ControlId::Command3);
        EXPECT_EQ(platform.log, (std::vector<std::string>{"delete C:\\panel\\session.db", "sleep 1000"}));
        EXPECT_FALSE(platform.has("\\session.db"));
        EXPECT_TRUE(platform.shown.empty());
        EXPECT_TRUE(c(ControlId::Command3).visible);
    }
}

TEST_F(BotControl, ALaunchWaitsForEveryPendingKillSoThatNoneCanEndTheNewBot) {
    load();
    platform.commandsLinger = true;
    form->click(ControlId::cmdStart);
    // The order is the point: a kill still running once the bot is launched would end it.
    EXPECT_EQ(
        platform.logMatching({"command taskkill", "sleep", "wait-for-end", "program"}),
        (std::vector<std::string>{"command taskkill /f /im bot.exe hidden", "sleep 1000",
                                  "wait-for-end taskkill /f /im bot.exe 4000", "program C:\\panel\\bot.exe hidden"}));
    // STOP's kill may still be on its way when START starts its own: the launch waits for both.
    form->click(ControlId::Command1);
    platform.clearLog();
    form->click(ControlId::cmdStart);
    EXPECT_EQ(platform.logMatching("wait-for-end").size(), 2u);
    // Kills that outlast the wait share its four seconds and do not hold the launch back any longer.
    form->click(ControlId::Command1);
    for (const auto& process : platform.started) process->endsDuringWait = false;
    platform.clearLog();
    form->click(ControlId::cmdStart);
    EXPECT_EQ(platform.logMatching("wait-for-end"),
              std::vector<std::string>{"wait-for-end taskkill /f /im bot.exe 4000"});
    EXPECT_EQ(platform.logMatching("program").size(), 1u);
}

// A bot that ends while the panel did not end it: the panel stops and says so once, in a balloon; every end
// that the panel itself caused, or that comes with a restart request, is no news.
TEST_F(BotControl, ABotThatEndsOnItsOwnStopsThePanelWithOneBalloon) {
    const auto balloons = [this] {
        std::vector<std::string> texts;
        for (const auto& [message, record] : platform.trayCalls)
            if (message == TrayMessage::Modify && testing::read32(record, tray_field::uFlags) == nif::Info)
                texts.push_back(testing::readField(record, tray_field::szInfo, tray_field::kInfoChars).c_str());
        return texts;
    };
    for (const auto& [code, shown] : std::vector<std::pair<std::uint32_t, std::string>>{
             {3, "bot.exe has stopped (exit code 3)"}, {0xC0000005, "bot.exe has stopped (exit code 0xC0000005)"}}) {
        platform.trayCalls.clear();
        loadAndStart();
        platform.put("\\ws.txt");
        form->timerTick();
        ASSERT_EQ(text(ControlId::lblStatus), "BOT READY");
        platform.started.back()->ended = code;
        form->timerTick();
        EXPECT_EQ(text(ControlId::lblStatus), "? BOT offline");
        EXPECT_EQ(form->sysTray()->TooltipText(), "Bot offline");
        EXPECT_TRUE(c(ControlId::cmdStart).enabled);
        EXPECT_EQ(platform.timer, 0u);
        EXPECT_FALSE(platform.has("\\ws.txt"));
        EXPECT_TRUE(platform.shown.empty());
        EXPECT_EQ(platform.logMatching("program").size(), 0u) << "not restarted";
        form->timerTick();  // one that was already due
        EXPECT_EQ(balloons(), std::vector<std::string>{shown});
    }

    // Ended by STOP: no news, also for a tick that was already due.
    platform.trayCalls.clear();
    loadAndStart();
    form->click(ControlId::Command1);
    for (const auto& process : platform.started) process->ended = 1;
    form->timerTick();
    EXPECT_TRUE(balloons().empty());

    // The bot asked to be restarted and ended first: it is restarted, not reported.
    loadAndStart();
    platform.started.back()->ended = 0;
    platform.put("\\ssreomve.txt");
    form->timerTick();
    EXPECT_EQ(platform.logMatching("program").size(), 1u);
    EXPECT_FALSE(c(ControlId::cmdStart).enabled);
    EXPECT_TRUE(balloons().empty());
}

}  // namespace
}  // namespace tavrio
