// The panel as users really have it: a folder of any name, settings saved "with BOM", a close from outside,
// a bot that dies on its own, a panel killed from outside, and a kill command that arrives late.
#include "../win32/raw_bot.h"  // Winsock before windows.h

#include <gtest/gtest.h>
#include <windows.h>

// After windows.h, which it needs.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "panel_driver.h"
#include "sim_client.h"

namespace e2e {
namespace {

using tavrio::testing::RawBot;

class Field : public ::testing::Test {
protected:
    void TearDown() override { killAll(L"bot.exe"); }
};

const std::string kMark = "\xEF\xBB\xBF";

// The texts of the balloons the shell shows now: its tooltip windows in balloon style.
std::vector<std::string> shownBalloons() {
    std::vector<std::string> texts;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (_wcsicmp(cls, TOOLTIPS_CLASSW) == 0 && (GetWindowLongW(hwnd, GWL_STYLE) & TTS_BALLOON) &&
                IsWindowVisible(hwnd))
                reinterpret_cast<std::vector<std::string>*>(param)->push_back(windowText(hwnd));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

TEST_F(Field, TheWholeRoadInAFolderOfAnyNameWithAnEnvSavedWithTheMark) {
    // Cyrillic letters outside the ANSI code page, an accented Latin one inside it, blanks and "&".
    ProgramFolder folder("Бот магазина Müller & Söhne");
    folder.writeEnv(kMark + "PORT=" + std::to_string(folder.port()) + "\nTAVRIO_API_KEY=qvx\nCOMPNEYNAME=demo shop\n");
    folder.writeAutoStart(true);
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    EXPECT_EQ(panel.text(Control::txtPort), std::to_string(folder.port())) << "the mark is no part of the port";

    ASSERT_TRUE(waitFor([&] { return panel.visible(Control::QR1); }, std::chrono::seconds(30))) << "auto-start";
    ASSERT_TRUE(simRequest(folder.port(), "POST", "/sim/link").ok);
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }));

    panel.typeText(Control::txtPhone, "919812345678");
    panel.typeText(Control::txtMessage, "hello");
    panel.click(Control::Command2);
    EXPECT_EQ(panel.answerMessageBox().text, "Message sent to 919812345678.");
    EXPECT_TRUE(waitFor([&] { return panel.text(Control::LbNoMass) == "No of Massage : 1"; }, std::chrono::seconds(40)))
        << panel.text(Control::LbNoMass);

    panel.click(Control::Command1);
    ASSERT_TRUE(waitFor([&] { return panel.visible(Control::Command3); }));
    EXPECT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 0; }));
    EXPECT_FALSE(folder.exists("ws.txt"));
    ASSERT_TRUE(folder.exists("session.db"));
    panel.click(Control::Command3);
    EXPECT_TRUE(waitFor([&] { return !folder.exists("session.db"); }));
    EXPECT_FALSE(panel.messageBoxOpen());
}

TEST_F(Field, ACloseFromOutsideEndsThePanelAndItsBotWhileTheUsersCloseOnlyHides) {
    ProgramFolder folder("close-from-outside");
    folder.write("conf.ini", kMark + "[tavriobot]\r\nAutostrat=1\r\n");
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 1; })) << "auto-start from a file with the mark";
    // Shown by a tick with the QR code, not by the load's show-and-hide, which a slow machine lets a test see.
    ASSERT_TRUE(
        waitFor([&] { return panel.visible(Control::QR1) && panel.windowVisible(); }, std::chrono::seconds(30)));
    panel.close();
    ASSERT_TRUE(waitFor([&] { return !panel.windowVisible(); }));
    EXPECT_TRUE(panel.running());

    const HWND window = panel.window();
    // Without /f: the window is asked to close. Its result says whether taskkill found a window to ask.
    ASSERT_EQ(_wsystem(L"taskkill /im TavrioPanel.exe >nul"), 0);
    // Time for a loaded machine; if it still runs, whether it answers tells a missed close from a blocked panel.
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(panel.waitForExit(std::chrono::seconds(60)))
        << (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) ? "the close was missed"
                                                                                         : "the panel is blocked");
    EXPECT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 0; }, std::chrono::seconds(60)));
}

TEST_F(Field, ABotKilledWhileReadyWithKeepRunningOffStopsThePanelWithOneBalloonAndNoBox) {
    ProgramFolder folder("killed-bot");
    Panel panel(folder);
    ASSERT_TRUE(panel.startLinked("KeepRunning=0\r\n"));
    ASSERT_TRUE(folder.exists("ws.txt")) << "the marker the dead bot leaves behind";
    DWORD botId = 0;
    ASSERT_EQ(countProcesses(L"bot.exe", &botId), 1);
    HANDLE bot = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, botId);
    ASSERT_NE(bot, nullptr);
    // The panel's questions go to a stand-in, which kills the bot while a tick asks and only then answers, once:
    // whatever the machine's speed, the next tick is the first that can find the bot gone, and any question
    // after that answer fails with a box.
    RawBot standIn;
    ASSERT_TRUE(standIn.bound());
    standIn.play([&](SOCKET s) {
        standIn.play(nullptr);
        TerminateProcess(bot, 3);
        WaitForSingleObject(bot, 5000);
        RawBot::says("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}")(s);
    });
    panel.typeText(Control::txtPort, std::to_string(standIn.port()));

    ASSERT_TRUE(waitFor([&] { return panel.enabled(Control::cmdStart); }, std::chrono::seconds(10)));
    EXPECT_TRUE(panel.visible(Control::Command3));
    EXPECT_FALSE(folder.exists("ws.txt"));
    // The shell shows a balloon a moment after it is asked for one.
    EXPECT_TRUE(
        waitFor([&] { return shownBalloons() == std::vector<std::string>{"bot.exe has stopped (exit code 3)"}; },
                std::chrono::seconds(10)))
        << shownBalloons().size();
    Sleep(2000);  // long enough for a tick, and there is none: no failure's box, the status as the stop left it
    EXPECT_FALSE(panel.messageBoxOpen());
    EXPECT_EQ(panel.text(Control::lblStatus), "? BOT offline");
    EXPECT_EQ(countProcesses(L"bot.exe"), 0) << "not restarted";
    CloseHandle(bot);
}

TEST_F(Field, ABotKilledFromOutsideRunsAgainAndAPanelKilledFromOutsideTakesItsBotAlong) {
    ProgramFolder folder("kept-running");
    Panel panel(folder);
    ASSERT_TRUE(panel.startLinked());
    DWORD firstBot = 0;
    ASSERT_EQ(countProcesses(L"bot.exe", &firstBot), 1);
    HANDLE bot = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, firstBot);
    ASSERT_NE(bot, nullptr);
    ASSERT_TRUE(TerminateProcess(bot, 3));
    WaitForSingleObject(bot, 5000);
    CloseHandle(bot);
    const auto killed = std::chrono::steady_clock::now();

    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "? BOT offline"; }, std::chrono::seconds(5)))
        << "the end is seen: " << panel.text(Control::lblStatus);
    DWORD secondBot = 0;
    const auto runsAgain = [&] { return countProcesses(L"bot.exe", &secondBot) == 1 && secondBot != firstBot; };
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(killed + std::chrono::seconds(5) -
                                                                            std::chrono::steady_clock::now());
    ASSERT_TRUE(waitFor(runsAgain, left)) << "not running again 5 s after the kill";
    std::printf(
        "bot.exe ran again %lld ms after the kill\n",
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - killed).count()));
    const std::vector<std::string> once{"bot.exe has stopped (exit code 3); starting it again"};
    EXPECT_TRUE(waitFor([&] { return shownBalloons() == once; }, std::chrono::seconds(10))) << shownBalloons().size();
    EXPECT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30)))
        << panel.text(Control::lblStatus);
    EXPECT_EQ(panel.text(Control::Label3), std::to_string(secondBot));
    EXPECT_FALSE(panel.messageBoxOpen());

    // As a crash ends it: no close, no STOP, nothing of the panel's own runs.
    HANDLE panelProcess = OpenProcess(PROCESS_TERMINATE, FALSE, panel.processId());
    ASSERT_NE(panelProcess, nullptr);
    ASSERT_TRUE(TerminateProcess(panelProcess, 9));
    CloseHandle(panelProcess);
    ASSERT_TRUE(panel.waitForExit());
    EXPECT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 0; }, std::chrono::seconds(10)))
        << "the bot outlived its panel";
}

// The prefix's own taskkill.exe is `standIn` while it lives, and comes back after (also after a run that died
// half-way: the original then still waits under its saved name).
class SystemTaskkill {
public:
    explicit SystemTaskkill(const std::string& standIn) {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        path_ = std::wstring(system) + L"\\taskkill.exe";
        saved_ = path_ + L".saved";
        if (GetFileAttributesW(saved_.c_str()) == INVALID_FILE_ATTRIBUTES) MoveFileW(path_.c_str(), saved_.c_str());
        CopyFileW(widen(standIn).c_str(), path_.c_str(), FALSE);
    }
    ~SystemTaskkill() { MoveFileExW(saved_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING); }
    SystemTaskkill(const SystemTaskkill&) = delete;
    SystemTaskkill& operator=(const SystemTaskkill&) = delete;

private:
    std::wstring path_, saved_;
};

TEST_F(Field, ALateKillFromStopNeverEndsTheBotThatStartLaunches) {
    ProgramFolder folder("late-kill");
    const SystemTaskkill late(artifactBeside(L"slow-taskkill.exe"));
    const auto killsEnded = [&] {
        const std::string runs = folder.read("taskkill-runs.txt");
        int ended = 0;
        for (auto at = runs.find("ended"); at != std::string::npos; at = runs.find("ended", at + 1)) ++ended;
        return ended;
    };
    const WineDllOverrides theFile(L"", {L"taskkill.exe"});  // else Wine runs its builtin in the file's place
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    panel.click(Control::cmdStart);
    ASSERT_TRUE(waitFor([&] { return folder.exists("start.txt"); }, std::chrono::seconds(20)));
    panel.click(Control::Command1);
    ASSERT_TRUE(waitFor([&] { return panel.enabled(Control::cmdStart); }));
    panel.click(Control::cmdStart);

    // STOP's kill and START's own both arrive late; the bot that START launches must outlive them.
    ASSERT_TRUE(waitFor([&] { return killsEnded() >= 3; }, std::chrono::seconds(30))) << killsEnded();
    DWORD botId = 0;
    EXPECT_TRUE(waitFor([&] { return countProcesses(L"bot.exe", &botId) == 1; }, std::chrono::seconds(10)));
    Sleep(1000);  // a kill still on its way would end it now
    EXPECT_EQ(countProcesses(L"bot.exe"), 1);
    EXPECT_EQ(panel.text(Control::Label3), std::to_string(botId)) << "the bot alive is the one START launched";
}

}  // namespace
}  // namespace e2e
