// The support log after a real road, read back whole: every line stamped and ended as Notepad shows it, the road's
// events in their order, and nothing private in any line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <regex>
#include <vector>

#include "app/bot_http.h"
#include "panel_driver.h"
#include "sim_client.h"

namespace e2e {
namespace {

class SupportLogRoad : public ::testing::Test {
protected:
    void TearDown() override { killAll(L"bot.exe"); }
};

std::string stamp(const SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

SYSTEMTIME shifted(SYSTEMTIME t, int seconds) {
    FILETIME file;
    SystemTimeToFileTime(&t, &file);
    ULARGE_INTEGER value{{file.dwLowDateTime, file.dwHighDateTime}};
    value.QuadPart += static_cast<long long>(seconds) * 10000000LL;
    file = {value.LowPart, value.HighPart};
    FileTimeToSystemTime(&file, &t);
    return t;
}

// This machine's offset from UTC now, as the log writes it.
std::string utcOffset() {
    SYSTEMTIME local, utc;
    GetLocalTime(&local);
    GetSystemTime(&utc);
    FILETIME l, u;
    SystemTimeToFileTime(&local, &l);
    SystemTimeToFileTime(&utc, &u);
    const long long diff = static_cast<long long>((ULARGE_INTEGER{{l.dwLowDateTime, l.dwHighDateTime}}).QuadPart -
                                                  (ULARGE_INTEGER{{u.dwLowDateTime, u.dwHighDateTime}}).QuadPart);
    const long long minutes = (diff / 10000000LL + (diff >= 0 ? 30 : -30)) / 60;
    char text[8];
    std::snprintf(text, sizeof text, "%c%02lld:%02lld", minutes < 0 ? '-' : '+', std::llabs(minutes) / 60,
                  std::llabs(minutes) % 60);
    return text;
}

DWORD botId() {
    DWORD id = 0;
    return countProcesses(L"bot.exe", &id) == 1 ? id : 0;
}

TEST_F(SupportLogRoad, ARealRoadIsWrittenInOrderStampedAndPrivate) {
    const std::string key = "Kq7-secret-panel-key", phone = "380671234567", message = "Parcel 17 waits at the till",
                      linkedPhone = "447700900123";
    ProgramFolder folder("support-log");
    folder.writeEnv("PORT=" + std::to_string(folder.port()) + "\nTAVRIO_API_KEY=" + key + "\nCOMPNEYNAME=demo shop\n");
    // The key of .env is the shop's own; the panel authorises its sends with the fixed token.
    folder.write("bot-sim.ini", std::string("[sim]\r\nkey=") + tavrio::kKeyToken + "\r\nphone=" + linkedPhone + "\r\n");
    folder.writeAutoStart(true);
    SYSTEMTIME began;
    GetLocalTime(&began);
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);

    ASSERT_TRUE(waitFor([&] { return panel.visible(Control::QR1); }, std::chrono::seconds(30))) << "auto-start";
    const DWORD firstBot = botId();
    ASSERT_TRUE(simRequest(folder.port(), "POST", "/sim/link").ok);
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }));
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label4).find(linkedPhone) != std::string::npos; }));

    panel.typeText(Control::txtPhone, phone);
    panel.typeText(Control::txtMessage, message);
    panel.click(Control::Command2);
    ASSERT_TRUE(panel.answerMessageBox().found);

    // Killed from outside with a code of its own, the bot is started again by the panel after its pause.
    HANDLE bot = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, firstBot);
    ASSERT_NE(bot, nullptr);
    TerminateProcess(bot, 42);
    WaitForSingleObject(bot, 5000);
    CloseHandle(bot);
    DWORD secondBot = 0;
    ASSERT_TRUE(waitFor([&] { return (secondBot = botId()) != 0 && secondBot != firstBot; })) << "started again";
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30)));

    panel.click(Control::Command1);
    ASSERT_TRUE(waitFor([&] { return countProcesses(L"bot.exe") == 0 && panel.enabled(Control::cmdStart); }));
    ASSERT_TRUE(panel.openTrayMenu());
    ASSERT_TRUE(panel.chooseTrayMenuItem(Control::exitapp));
    ASSERT_TRUE(panel.waitForExit());
    SYSTEMTIME ended;
    GetLocalTime(&ended);

    const std::string log = folder.read("TavrioPanel.log");
    std::cout << "---- TavrioPanel.log ----\n" << log << "---- end ----" << std::endl;
    // For the closing note: a copy kept outside the folder that the next run clears.
    if (const char* copy = std::getenv("TAVRIO_E2E_LOG_COPY"))
        CopyFileW(widen(folder.at("TavrioPanel.log")).c_str(), widen(windowsPath(copy)).c_str(), FALSE);

    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    std::vector<std::string> lines;
    for (std::size_t at = 0, next; at < log.size(); at = next + 1) {
        next = log.find('\n', at);
        if (next == std::string::npos) next = log.size();
        lines.push_back(log.substr(at, next - at));
    }
    // Every line on the clock of this run, in the machine's offset, never going back.
    const std::regex form(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [+-]\d\d:\d\d .+\r)");
    const std::string earliest = stamp(shifted(began, -2)), latest = stamp(shifted(ended, 2)), offset = utcOffset();
    std::string previous;
    for (const std::string& line : lines) {
        ASSERT_TRUE(std::regex_match(line, form)) << "[" << line << "]";
        const std::string when = line.substr(0, 23);
        EXPECT_TRUE(when >= earliest && when <= latest && when >= previous) << line;
        EXPECT_EQ(line.substr(24, 6), offset) << line;
        previous = when;
        for (const std::string& secret : {key, message, phone, linkedPhone})
            EXPECT_EQ(line.find(secret), line.npos) << line;
    }

    const std::vector<std::string> road = {
        "Tavrio Panel started",
        "START by auto-start",
        "bot.exe started, process " + std::to_string(firstBot),
        "QR code shown",
        "The bot is ready",
        "Phone linked: ****" + linkedPhone.substr(linkedPhone.size() - 4),
        "Send to ****" + phone.substr(phone.size() - 4) + ": the bot answered with status 200",
        "bot.exe ended with exit code 0x0000002A (42)",
        "Keep-running: end 1 of the series, starting it again in 1 s",
        "START by keep-running",
        "bot.exe started, process " + std::to_string(secondBot),
        "STOP by the button",
        "Tavrio Panel ends: Exit",
    };
    std::size_t line = 0;
    for (const std::string& event : road) {
        while (line < lines.size() && lines[line].find(event) == std::string::npos) ++line;
        ASSERT_LT(line, lines.size()) << "missing or out of order: " << event;
        ++line;
    }
}

}  // namespace
}  // namespace e2e
