#include "app/bot_http.h"
#include "app/counter_file.h"
#include "form_fixture.h"
#include "last_line_oracle.h"

namespace tavrio {
namespace {

using testing::FakePlatform;
using testing::FormTest;

class Poller : public FormTest {
protected:
    void ticks(int n) {
        for (int i = 0; i < n; ++i) form->timerTick();
    }
    int counterReadsIn(int firstTick, int lastTick) {
        int reads = 0;
        for (int t = firstTick; t <= lastTick; ++t) {
            platform.put("\\log\\message-counter.txt", std::to_string(t) + "\r\n");
            form->timerTick();
            if (text(ControlId::LbNoMass) == "No of Massage : " + std::to_string(t)) ++reads;
        }
        return reads;
    }
};

TEST_F(Poller, FirstTicksCountShowAndWait) {
    loadAndStart();
    form->timerTick();
    EXPECT_EQ(text(ControlId::Label2), " 0");
    EXPECT_EQ(text(ControlId::Label1), "1");
    EXPECT_EQ(text(ControlId::lblStatus), " Waiting for Session...");
    EXPECT_EQ(c(ControlId::lblStatus).textColor, kRed);
    EXPECT_FALSE(platform.visible);
    platform.put("\\start.txt");
    form->timerTick();
    EXPECT_EQ(text(ControlId::Label2), " 1start.txt");
    EXPECT_TRUE(platform.visible) << "the window comes into view at tick 2";
    platform.visible = false;
    ticks(3);
    EXPECT_FALSE(platform.visible);
}

TEST_F(Poller, CounterIsReadAtTenAndEveryThirtiethTick) {
    loadAndStart();
    ticks(9);
    EXPECT_EQ(counterReadsIn(10, 10), 1);
    EXPECT_EQ(counterReadsIn(11, 29), 0);
    EXPECT_EQ(counterReadsIn(30, 30), 1);
    EXPECT_EQ(counterReadsIn(31, 59), 0);  // not at 20, 40 or 50
    EXPECT_EQ(counterReadsIn(60, 90), 2);
    platform.files.erase(FakePlatform::at("\\log\\message-counter.txt"));
    ticks(30);
    EXPECT_EQ(text(ControlId::LbNoMass), "No of Massage : 0");
}

TEST_F(Poller, QrCodeIsShownOnceAndItsFileDeleted) {
    loadAndStart();
    platform.put("\\qr.txt", "2@pairing,text\r\n");
    form->timerTick();
    EXPECT_EQ(text(ControlId::QR1), "2@pairing,text\r\n") << "the content, line break included";
    EXPECT_TRUE(c(ControlId::QR1).visible);
    EXPECT_EQ(c(ControlId::QR1).left, 0);
    EXPECT_EQ(c(ControlId::QR1).top, 0);
    EXPECT_TRUE(platform.visible);
    EXPECT_EQ(form->sysTray()->TooltipText(), "QR Pl. Scan");
    EXPECT_FALSE(platform.has("\\qr.txt"));
    ticks(3);
    EXPECT_TRUE(c(ControlId::QR1).visible) << "later ticks leave the code on show";
}

TEST_F(Poller, UnreadableQrFileIsLeftForTheNextTick) {
    loadAndStart();
    platform.put("\\qr.txt", "");
    form->timerTick();
    EXPECT_TRUE(platform.has("\\qr.txt"));
    EXPECT_FALSE(c(ControlId::QR1).visible);
    EXPECT_EQ(form->sysTray()->TooltipText(), "Tavrio Massage System");
    platform.put("\\qr.txt", "code");
    platform.locked.insert(FakePlatform::at("\\qr.txt"));
    form->timerTick();
    EXPECT_TRUE(platform.has("\\qr.txt"));
    platform.locked.clear();
    form->timerTick();
    EXPECT_EQ(text(ControlId::QR1), "code");
    EXPECT_FALSE(platform.has("\\qr.txt"));
}

TEST_F(Poller, ReadyStateShowsThePhoneWithoutBracesOrQuotes) {
    loadAndStart();
    platform.put("\\qr.txt", "code");
    platform.put("\\ws.txt");
    platform.defaultAnswer = FakePlatform::answer(R"({"phone":"919876543210","name":"Demo"})");
    form->timerTick();
    EXPECT_EQ(text(ControlId::lblStatus), "BOT READY");
    EXPECT_EQ(c(ControlId::lblStatus).textColor, kBlue);
    EXPECT_FALSE(c(ControlId::QR1).visible) << "shown and hidden again in the same tick";
    EXPECT_EQ(text(ControlId::Label4), "phone:919876543210,name:Demo");
    EXPECT_FALSE(c(ControlId::Label2).visible);
    EXPECT_EQ(form->sysTray()->record().hIcon, testing::pictureHandle(1));
    EXPECT_EQ(form->sysTray()->TooltipText(), "Bot Ready online");
    EXPECT_EQ(text(ControlId::Label5), "");
    ASSERT_EQ(platform.requests.size(), 1u);
    const HttpRequest& r = platform.requests[0];
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.url, "http://localhost:3033/phone");
    EXPECT_EQ(r.headers, (std::vector<std::pair<std::string, std::string>>{
                             {"User-Agent", "Mozilla/5.0 (Windows NT 10.0; Win64; x64)"}}));
    EXPECT_EQ(r.timeouts.resolveMs, 20000);
    EXPECT_EQ(r.timeouts.receiveMs, 20000);
    ticks(2);
    EXPECT_EQ(platform.requests.size(), 3u) << "asked once a second while ready";
    platform.defaultAnswer = FakePlatform::answer("x", 404);
    form->timerTick();
    EXPECT_EQ(text(ControlId::Label4), "x") << "the body whatever the status";
}

TEST_F(Poller, TheTraySaysReadyOnlyWhileTheWindowDoes) {
    loadAndStart();
    platform.put("\\ws.txt");
    form->timerTick();
    ASSERT_EQ(form->sysTray()->TooltipText(), "Bot Ready online");
    platform.files.erase(FakePlatform::at("\\ws.txt"));
    form->timerTick();
    EXPECT_EQ(text(ControlId::lblStatus), " Waiting for Session...");
    EXPECT_EQ(form->sysTray()->record().hIcon, testing::pictureHandle(0));
    EXPECT_EQ(form->sysTray()->TooltipText(), "Tavrio Massage System");
    // A new code's tooltip says more than the first one: it stays.
    platform.put("\\ws.txt");
    form->timerTick();
    platform.files.erase(FakePlatform::at("\\ws.txt"));
    platform.put("\\qr.txt", "code");
    form->timerTick();
    EXPECT_EQ(form->sysTray()->TooltipText(), "QR Pl. Scan");
    // The marker vanishes between the ready step's two looks: both say waiting.
    platform.put("\\ws.txt");
    form->timerTick();
    int looks = 0;
    platform.onLook = [&](const std::string& path) {
        if (path == FakePlatform::at("\\ws.txt") && ++looks == 2) platform.files.erase(path);
    };
    form->timerTick();
    EXPECT_EQ(text(ControlId::lblStatus), " Waiting for Session...");
    EXPECT_EQ(form->sysTray()->record().hIcon, testing::pictureHandle(0));
    EXPECT_EQ(form->sysTray()->TooltipText(), "Tavrio Massage System");
}

TEST_F(Poller, BotThatStopsAnsweringShowsTheFailureEveryTick) {
    loadAndStart();
    platform.put("\\ws.txt");
    platform.defaultAnswer = FakePlatform::refused();
    ticks(2);
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].first, "-2147012867\r\nA connection with the server could not be established");
    EXPECT_EQ(platform.shown[0].second, MessageIcon::None);
    EXPECT_EQ(text(ControlId::Label4), "");
    EXPECT_EQ(form->sysTray()->TooltipText(), "Bot Ready online") << "the ready step goes on";
}

TEST_F(Poller, EveryHundredTwentiethTickAddsTheTickNumberSilently) {
    loadAndStart();
    ticks(119);
    platform.answers = {FakePlatform::answer("abc")};
    form->timerTick();
    EXPECT_EQ(text(ControlId::Label4), "abc       ( 120)");
    ticks(119);
    platform.answers = {FakePlatform::refused()};
    form->timerTick();
    EXPECT_EQ(text(ControlId::Label4), "       ( 240)");
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(Poller, RestartRequestStopsWaitsAndStartsInTheSameTick) {
    loadAndStart();
    ticks(5);
    platform.put("\\ssreomve.txt");
    platform.put("\\ws.txt");
    platform.clearLog();
    form->timerTick();
    // The order is the restart: the old bot is ended, five seconds pass, and only then is the new one launched.
    EXPECT_EQ(platform.logMatching({"command taskkill", "sleep", "program"}),
              (std::vector<std::string>{"command taskkill /f /im bot.exe hidden", "sleep 5000",
                                        "command taskkill /f /im bot.exe hidden", "sleep 1000",
                                        "program C:\\panel\\bot.exe hidden"}));
    EXPECT_FALSE(platform.has("\\ssreomve.txt"));
    EXPECT_EQ(platform.timer, 1000u);
    EXPECT_EQ(form->tickCount(), 1);
    EXPECT_EQ(text(ControlId::lblStatus), " Waiting for Session...");
    form->timerTick();
    EXPECT_TRUE(platform.visible) << "the next tick makes the window visible again";

    // A restart whose START cannot launch the bot leaves the window stopped, and that tick shows no ready bot.
    platform.put("\\ssreomve.txt");
    platform.onSleep = [this](std::uint32_t) { platform.put("\\ws.txt"); };
    platform.nextProgramStart.started = false;
    form->timerTick();
    EXPECT_EQ(platform.timer, 0u);
    EXPECT_EQ(text(ControlId::lblStatus), "? BOT offline");
    EXPECT_EQ(form->sysTray()->TooltipText(), "Bot offline");
}

TEST_F(Poller, TickThatFallsDueDuringATickIsSkipped) {
    loadAndStart();
    int nested = 0;
    platform.onPump = [&] {
        ++nested;
        form->timerTick();
    };
    form->timerTick();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(form->tickCount(), 1) << "the nested tick did not count";
}

TEST_F(Poller, EditedPortIsReadAtEachRequestAndMustBeAPort) {
    loadAndStart();
    platform.put("\\ws.txt");
    form->textEdited(ControlId::txtPort, " 4000 ");
    form->timerTick();
    EXPECT_EQ(platform.requests.back().url, "http://localhost:4000/phone");

    for (const std::string bad : {"80@example.com", "0", "65536", "", "12a", "-1", "999999"}) {
        platform.requests.clear();
        platform.shown.clear();
        form->textEdited(ControlId::txtPort, bad);
        form->timerTick();
        EXPECT_TRUE(platform.requests.empty()) << bad;
        ASSERT_EQ(platform.shown.size(), 1u) << bad;
        EXPECT_EQ(platform.shown[0].first, "-2147012891\r\nThe URL is invalid");
    }
    form->textEdited(ControlId::txtPort, "65535");
    form->timerTick();
    EXPECT_EQ(platform.requests.back().url, "http://localhost:65535/phone");
}

TEST_F(Poller, HugeAnswerIsCutAtOneMebibyte) {
    loadAndStart();
    platform.put("\\ws.txt");
    platform.defaultAnswer = FakePlatform::answer(std::string(3 << 20, 'x'));
    form->timerTick();
    EXPECT_EQ(text(ControlId::Label4).size(), 1u << 20);
    EXPECT_EQ(platform.requests.back().maxBodyBytes, 1u << 20);
}

// ---- The counter file's last line

TEST(CounterFile, ReadingFromTheEndAgreesWithReadingTheWholeFile) {
    // A few texts for the reader; the fuzz target tries every other, with every chunk size and cap.
    FakePlatform files;
    for (const std::string content : {"5\r\n7\r\n", "5\r\n7\r\n\r\n", "5\r7", "5\n7\n", "5\r\n\n7", "7", ""}) {
        for (const std::uint64_t chunk : {1, 2, 4096}) {
            files.files["f"] = content;
            const LastLine last = readLastLine(files, "f", chunk);
            ASSERT_TRUE(last.readable);
            EXPECT_EQ(last.hasLine ? std::optional(last.line) : std::nullopt,
                      testing::lastLineReadFromTheStart(content))
                << content << " " << chunk;
        }
    }
}

TEST(CounterFile, BigFileIsReadOnlyAtItsEnd) {
    FakePlatform files;
    std::string content;
    for (int i = 1; i <= 2'000'000; ++i) content += std::to_string(i) + "\r\n";
    files.files["big"] = content;
    const LastLine last = readLastLine(files, "big");
    EXPECT_EQ(last.line, "2000000");
    EXPECT_LT(files.bytesRead, 10'000u);
    files.locked.insert("big");
    EXPECT_FALSE(readLastLine(files, "big").readable);
}

TEST(LocalUrl, OnlyAWholePortNumberMakesAnAddress) {
    EXPECT_EQ(localBotUrl("  3033 ", "/send-text"), "http://localhost:3033/send-text");
    EXPECT_EQ(localBotUrl("1", "/phone"), "http://localhost:1/phone");
    for (const std::string bad : {"0", "65536", "3033/x", "3033 1", "", "  ", "+80", "3033\t"})
        EXPECT_FALSE(localBotUrl(bad, "/phone")) << bad;
}

}  // namespace
}  // namespace tavrio
