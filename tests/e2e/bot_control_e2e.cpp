#include <gtest/gtest.h>

#include "panel_driver.h"

namespace e2e {
namespace {

class BotControl : public ::testing::Test {
protected:
    void TearDown() override { killAll(L"bot.exe"); }
};

// A simulator started by hand, not by the panel.
void startStrayBot(const ProgramFolder& folder) {
    std::wstring exe = widen(folder.at("bot.exe"));
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST_F(BotControl, StartLaunchesTheBotAndStopEndsEveryBot) {
    ProgramFolder folder("start-stop");
    ProgramFolder other("stray-bot");
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);

    panel.click(Control::cmdStart);
    DWORD botId = 0;
    ASSERT_TRUE(waitFor([&] { return countProcesses(L"bot.exe", &botId) == 1; }));
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label3) == std::to_string(botId); }))
        << panel.text(Control::Label3);
    EXPECT_FALSE(panel.enabled(Control::cmdStart));
    EXPECT_FALSE(panel.visible(Control::Command3));
    EXPECT_EQ(panel.text(Control::txtPhone), "");
    ASSERT_TRUE(waitFor([&] { return folder.exists("start.txt"); })) << "the simulator came up in its folder";
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label1) != "0"; })) << "the timer ticks";

    startStrayBot(other);
    ASSERT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 2; }));
    panel.click(Control::Command1);
    EXPECT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 0; })) << "STOP ends every bot.exe";
    ASSERT_TRUE(waitFor([&] { return panel.enabled(Control::cmdStart); }));
    EXPECT_TRUE(panel.visible(Control::Command3));
    EXPECT_EQ(panel.text(Control::lblStatus), "? BOT offline");
    const std::string tick = panel.text(Control::Label1);
    Sleep(2500);  // a stopped panel must not tick: nothing to wait for but time itself
    EXPECT_EQ(panel.text(Control::Label1), tick);
}

TEST_F(BotControl, RemoveSessionDeletesTheSavedLink) {
    ProgramFolder folder("remove-session");
    folder.write("session.db", "linked");
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    panel.click(Control::Command1);
    ASSERT_TRUE(waitFor([&] { return panel.visible(Control::Command3); }));
    panel.click(Control::Command3);
    EXPECT_TRUE(waitFor([&] { return !folder.exists("session.db"); }));
    panel.click(Control::Command3);  // again, without a file: harmless
    EXPECT_FALSE(panel.messageBoxOpen());
    EXPECT_TRUE(panel.running());
}

TEST_F(BotControl, ExitWhileRunningEndsBotAndPanel) {
    ProgramFolder folder("exit-running");
    folder.writeAutoStart(true);
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 1; })) << "auto-start";
    ASSERT_NE(panel.window(), nullptr);
    ASSERT_TRUE(waitFor([&] { return panel.windowVisible(); })) << "the window comes into view after START";
    ASSERT_TRUE(panel.openTrayMenu());
    ASSERT_TRUE(panel.chooseTrayMenuItem(Control::exitapp));
    EXPECT_TRUE(panel.waitForExit());
    EXPECT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 0; }));
}

TEST_F(BotControl, MissingBotIsReportedAndStartStaysUsable) {
    ProgramFolder folder("no-bot", /*withBot=*/false);
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    panel.click(Control::cmdStart);
    const MessageBoxSeen box = panel.answerMessageBox();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text.rfind("Cannot start " + folder.at("bot.exe") + "\r\n", 0), 0u) << box.text;
    EXPECT_TRUE(box.hasErrorIcon);
    ASSERT_TRUE(waitFor([&] { return panel.enabled(Control::cmdStart); }));
    EXPECT_EQ(panel.text(Control::Label1), "0") << "no timer";
}

}  // namespace
}  // namespace e2e
