// The support log through the fake file system and clock.
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "form_fixture.h"
#include "log/support_log.h"

namespace tavrio {
namespace {

using testing::FakePlatform;

// Every line of an event "e" at the fake clock's first moment.
const std::string kLine = "1970-01-01 00:00:00.000 +00:00 e\r\n";

class SupportLogTest : public ::testing::Test {
protected:
    FakePlatform platform;
    SupportLog log{platform, platform, FakePlatform::kFolder};
    const std::string oldPath = FakePlatform::at("\\TavrioPanel.log.1");
    std::string& file() { return platform.files[log.path()]; }
};

TEST_F(SupportLogTest, EachEventIsOneLineAfterItsLocalTimeAndOffset) {
    EXPECT_EQ(log.path(), "C:\\panel\\TavrioPanel.log");
    platform.localNow = {2026, 12, 9, 18, 4, 5, 123, 60};
    log.write("START\tby the button\r\nthen\x01\x7F\xC2\x85 bad \xFF ok \xD0\xBF");
    platform.localNow = {2027, 1, 2, 3, 4, 5, 6, -210};
    log.write("");
    platform.localNow.utcOffsetMinutes = 0;
    log.write(std::string(5000, 'x'));
    EXPECT_EQ(file(),
              "2026-12-09 18:04:05.123 +01:00 START by the button  then    bad \xEF\xBF\xBD ok \xD0\xBF\r\n"
              "2027-01-02 03:04:05.006 -03:30 \r\n"
              "2027-01-02 03:04:05.006 +00:00 " +
                  std::string(SupportLog::kMaxEventBytes - 6, 'x') + " [...]\r\n");
}

TEST_F(SupportLogTest, TheLineThatWouldPassTheSizeStartsANewFileAndTheFullOneReplacesTheOld) {
    const std::string full(SupportLog::kMaxFileBytes - kLine.size(), 'a');
    file() = full;
    platform.files[oldPath] = "older";
    log.write("e");
    EXPECT_EQ(file(), full + kLine);  // exactly at the size
    log.write("e");
    EXPECT_EQ(platform.files[oldPath], full + kLine);
    EXPECT_EQ(file(), kLine);
    log.write("e");
    EXPECT_EQ(platform.sizesAsked, 2);  // once at the start, once more before the rename; the rest is counted
}

TEST_F(SupportLogTest, NeitherAFailedRotationNorAReadOnlyLogStopsTheLogOrLosesItsHistory) {
    // TavrioPanel.log.1 cannot be replaced: the log grows on up to its bound, trying the rotation again (its size
    // asked first) once every 64 KiB of lines, and rotates once it can.
    const std::string event(SupportLog::kMaxEventBytes, 'e');
    const std::uint64_t line = kLine.size() - 1 + event.size(), lines = SupportLog::kMaxGrownBytes / line;
    file() = std::string(SupportLog::kMaxFileBytes, 'a');
    platform.unwritable.insert(oldPath);
    for (std::uint64_t i = 0; i < lines; ++i) log.write(event);
    EXPECT_GT(file().size() + line, SupportLog::kMaxGrownBytes);
    EXPECT_LE(file().size(), SupportLog::kMaxGrownBytes);
    EXPECT_LE(platform.sizesAsked, 2 + lines * line / SupportLog::kRotationRetryBytes);
    platform.unwritable.clear();
    for (std::uint64_t i = 0; i * line < SupportLog::kRotationRetryBytes; ++i) log.write(event);
    EXPECT_GT(platform.files[oldPath].size() + line, SupportLog::kMaxGrownBytes);
    EXPECT_LT(file().size(), SupportLog::kRotationRetryBytes);

    // Another copy rotated it meanwhile: the size asked again before the rename says so, and the history stays.
    SupportLog first(platform, platform, FakePlatform::kFolder), second(platform, platform, FakePlatform::kFolder);
    file() = std::string(SupportLog::kMaxFileBytes - kLine.size(), 'a');
    first.write("e");
    second.write("e");
    first.write("e");
    EXPECT_EQ(platform.files[oldPath].size(), SupportLog::kMaxFileBytes);
    EXPECT_EQ(file(), kLine + kLine);

    // A log made read-only is put aside and a new one started.
    platform.readOnly.insert(log.path());
    log.write("e");
    EXPECT_EQ(platform.files[oldPath], kLine + kLine);
    EXPECT_EQ(file(), kLine);
}

TEST_F(SupportLogTest, ALineThatCannotBeWrittenIsDroppedQuietlyAndTheNextOneIsWritten) {
    platform.unwritable.insert(log.path());
    EXPECT_NO_THROW(log.write("lost"));
    EXPECT_EQ(platform.files.count(log.path()), 0u);
    platform.unwritable.clear();
    log.write("e");
    EXPECT_EQ(file(), kLine);
    EXPECT_TRUE(platform.shown.empty());
}

TEST(PhoneForLog, ShowsOnlyTheLastFourDigits) {
    EXPECT_EQ(phoneForLog("380501234567"), "****4567");
    EXPECT_EQ(phoneForLog("+38 (050) 123-45-67@c.us"), "****4567");
    EXPECT_EQ(phoneForLog("1234"), "****");  // the last four would be all of it
    EXPECT_EQ(phoneForLog(""), "****");
}

TEST(OutsideTextMasked, TheKeyTheMessageAndPhonesInTheirFormsLeaveNoTrace) {
    const struct {
        std::string text, key, message, masked;
    } rows[] = {
        {"key K12345z, then hi 98765.", "K12345z", "hi 98765", "key <key>, then <message>."},
        {R"(1: a \"b\"\/\\\n\u00E9 \ud83d\ude00 2: a \"b\"/\\\n)"
         "\xC3\xA9 \xF0\x9F\x98\x80",
         "", "a \"b\"/\\\n\xC3\xA9 \xF0\x9F\x98\x80", "1: <message> 2: <message>"},
        {"+38 (050) 123-45-67, 987-654-3210, (050)1234567, 12345, v1.2.3 on 2026-12-09", "", "",
         "+****4567, ****3210, (****4567, ****2345, v1.2.3 on 2026-12-09"},
        {"pass abc, word xabcx", "abc", "xabcx", "pass <key>, word <message>"},
    };
    for (const auto& row : rows) EXPECT_EQ(outsideTextMasked(row.text, row.key, row.message), row.masked) << row.text;
}

// Nothing of a secret in any form is left, nor five digits in a row or nine joined, the marks read as absent.
TEST(OutsideTextMasked, OracleOverGeneratedTexts) {
    // Symbols raw, as JSON escapes them, and with non-ASCII escaped too; the first three may end a secret.
    const std::string symbols[3][8] = {{"Z", "é", "😀", "7", "\"", "\\", "\n", "/"},
                                       {"Z", "é", "😀", "7", "\\\"", "\\\\", "\\n", "/"},
                                       {"Z", "\\u00e9", "\\uD83D\\ude00", "7", "\\u0022", "\\\\", "\\u000A", "\\/"}};
    const std::vector<std::string> joins = {"", "", " ", "-", ".", "(", ")", " (", ") ", ", ", "x"};
    const std::regex marks("<key>|<message>"), phone(R"(\d{5}|\d(?:\)?[ .-]?\(?\d){8})");
    std::mt19937 random(28);
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    for (int round = 0; round < 3000; ++round) {
        std::string secrets[2][3], text;  // the key and the message in their forms
        for (auto& forms : secrets)
            for (std::size_t i = 0, length = 1 + pick(6); i < length; ++i)
                for (std::size_t form = 0, symbol = pick(i == 0 || i + 1 == length ? 3 : 8); form < 3; ++form)
                    forms[form] += symbols[form][symbol];
        for (std::size_t piece = pick(12); piece > 0; --piece)
            text += pick(3) ? std::to_string(pick(10)) + joins[pick(joins.size())] : secrets[pick(2)][pick(3)];
        const std::string masked = outsideTextMasked(text, secrets[0][0], secrets[1][0]);
        for (const auto& forms : secrets)
            for (const std::string& form : forms) EXPECT_EQ(masked.find(form), masked.npos) << text;
        EXPECT_FALSE(std::regex_search(std::regex_replace(masked, marks, ""), phone)) << text;
    }
}

// ---- What the window writes: one table of a whole day's road

class WindowLog : public testing::FormTest {
protected:
    // The events written since the last call, without their time stamps.
    std::vector<std::string> events() {
        std::vector<std::string> out;
        std::string& file = platform.files[FakePlatform::at("\\TavrioPanel.log")];
        for (std::size_t start = 0, end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2)
            out.push_back(file.substr(start + 31, end - start - 31));
        file.clear();
        return out;
    }
};

TEST_F(WindowLog, EachEventOfTheRoadIsOneLineAndATickingReadyBotWritesNothing) {
    platform.put("\\.env", "PORT=3033\nTAVRIO_API_KEY=S3cretKey\nCOMPNEYNAME=demo shop\n");
    platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|Autostrat"] = "1";
    create();
    form->load();
    platform.put("\\qr.txt", "code");
    form->timerTick();
    platform.put("\\ws.txt");
    platform.defaultAnswer = FakePlatform::answer(R"({"phone":"919876543210"})");
    for (int tick = 0; tick < 24 * 3600; ++tick) form->timerTick();
    form->textEdited(ControlId::txtPhone, "919812345678");
    // A message short enough to occur in the panel's own words, which must stay whole.
    form->textEdited(ControlId::txtMessage, "1");
    platform.answers = {FakePlatform::answer("Sent to 919812345678: 1", 201)};
    form->click(ControlId::Command2);
    platform.answers = {FakePlatform::refused()};
    form->timerTick();
    form->timerTick();  // answers again
    platform.now += 3723000;
    platform.started.back()->ended = 0xC0000005;
    form->timerTick();
    platform.now += 1000;
    form->botLifeTick();
    form->click(ControlId::Command1);
    form->click(ControlId::exitapp);
    const std::string refused = "-2147012867  A connection with the server could not be established";
    EXPECT_EQ(events(), (std::vector<std::string>{
                            "Tavrio Panel started: , folder C:\\panel",
                            "START by auto-start",
                            "bot.exe started, process 4242",
                            "Settings: port 3033, auto-start on, keep-running on, key set",
                            "QR code shown: waiting for a phone to be linked",
                            "The bot is ready",
                            "Phone linked: ****3210",
                            "Send to ****5678: the bot answered with status 201",
                            "Message box: Sent to ****5678: <message>",
                            "The bot does not answer /phone: " + refused,
                            "The bot answers /phone again, after 1 failed requests",
                            "bot.exe ended with exit code 0xC0000005 (3221225477) after 1:02:03",
                            "Keep-running: end 1 of the series, starting it again in 1 s",
                            "START by keep-running, after the pause",
                            "bot.exe started, process 4242",
                            "STOP by the button",
                            "Outage 00:00 to 00:00, 1 restart, exit code 0xC0000005: ended by the user",
                            "STOP: Exit in the tray menu",
                            "Tavrio Panel ends: Exit in the tray menu",
                        }));
}

}  // namespace
}  // namespace tavrio
