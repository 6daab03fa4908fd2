#include "form_fixture.h"

namespace tavrio {
namespace {

using testing::FakePlatform;
using testing::FormTest;

class Load : public FormTest {};

TEST_F(Load, FillsTheWindowFromTheSettings) {
    load();
    EXPECT_EQ(text(ControlId::cmdStart), "Start Bot");
    EXPECT_EQ(text(ControlId::lblStatus), "Status: Stopped");
    EXPECT_EQ(text(ControlId::txtPhone), "91");
    EXPECT_FALSE(c(ControlId::QR1).visible);
    EXPECT_EQ(text(ControlId::LBCOMP), "DEMO SHOP");
    EXPECT_EQ(text(ControlId::lbkey), "qvx");
    EXPECT_EQ(text(ControlId::txtPort), "3033");
    EXPECT_EQ(form->title(), "VANTERO");
    EXPECT_EQ(text(ControlId::Label6), "Version : 32");
    for (ControlId picture : {ControlId::Image1_0, ControlId::Image1_1, ControlId::Image1_2})
        EXPECT_EQ(c(picture).top, 8500);
    // Before any START: no ticks, the session button hidden, the tick label at its design text.
    EXPECT_EQ(platform.timer, 0u);
    EXPECT_FALSE(c(ControlId::Command3).visible);
    EXPECT_EQ(text(ControlId::Label1), "0");
    EXPECT_TRUE(platform.logMatching("program").empty());
    EXPECT_TRUE(platform.shown.empty());
    // The tray icon is in place with picture 0 and the program's tooltip.
    ASSERT_NE(form->sysTray(), nullptr);
    EXPECT_EQ(form->sysTray()->TooltipText(), "Tavrio Massage System");
    EXPECT_EQ(form->sysTray()->record().hIcon, testing::pictureHandle(0));
}

TEST_F(Load, TitleIsVanteroOnlyForTheExactKeyToken) {
    for (const auto& [env, title] : std::vector<std::pair<std::string, std::string>>{
             {"TAVRIO_API_KEY=qvx\n", "VANTERO"},
             {"x\nTAVRIO_API_KEY=qvx\n", "VANTERO"},
             {"x\ny\nTAVRIO_API_KEY=qvx\n", "."},  // read in capitals on line 3
             {"TAVRIO_API_KEY=QVX\n", "."},
             {"PORT=1\n", "."}}) {
        platform.put("\\.env", env);
        load();
        EXPECT_EQ(form->title(), title) << env;
    }
}

TEST_F(Load, AutoStartPressesStartBeforeTheSettingsAreRead) {
    for (const std::string value : {"1", "01", "1.0"}) {
        platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|Autostrat"] = value;
        platform.clearLog();
        load();
        EXPECT_EQ(platform.logMatching("program").size(), 1u) << value;
        EXPECT_EQ(platform.timer, 1000u);
        EXPECT_EQ(text(ControlId::txtPhone), "") << "START empties the phone box after the load filled it";
        EXPECT_FALSE(c(ControlId::cmdStart).enabled);
        EXPECT_EQ(text(ControlId::txtPort), "3033");
    }
}

TEST_F(Load, NoAutoStartForOtherValuesOrAMissingFile) {
    for (const std::string value : {"0", "2", "", "yes", "x1"}) {
        platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|Autostrat"] = value;
        platform.clearLog();
        load();
        EXPECT_TRUE(platform.logMatching("program").empty()) << value;
        EXPECT_EQ(platform.timer, 0u);
    }
    platform.profile.clear();
    platform.clearLog();
    load();
    EXPECT_EQ(
        platform.logMatching("profile"),
        (std::vector<std::string>{
            "profile C:\\panel\\conf.ini tavriobot Autostrat", "profile C:\\panel\\conf.ini tavriobot KeepRunning",
            "profile C:\\panel\\conf.ini tavriobot KeepAwake", "profile C:\\panel\\conf.ini tavriobot AlertPhone"}));
    EXPECT_TRUE(platform.logMatching("program").empty());
}

TEST_F(Load, MissingOrHiddenEnvShowsOneMessageAndLoadsOn) {
    for (bool hidden : {false, true}) {
        platform.shown.clear();
        if (hidden)
            platform.hidden.insert(FakePlatform::at("\\.env"));
        else
            platform.files.erase(FakePlatform::at("\\.env"));
        load();
        ASSERT_EQ(platform.shown.size(), 1u);
        EXPECT_EQ(platform.shown[0].first, "File not found: C:\\panel\\.env");
        EXPECT_EQ(platform.shown[0].second, MessageIcon::Error);
        EXPECT_EQ(text(ControlId::txtPort), "") << "not the design text 3033";
        EXPECT_EQ(text(ControlId::LBCOMP), "");
        EXPECT_EQ(form->title(), ".");
        EXPECT_EQ(text(ControlId::Label6), "Version : 32");
    }
}

TEST_F(Load, LockedOrHugeEnvNeverStopsTheLoad) {
    platform.locked.insert(FakePlatform::at("\\.env"));
    load();
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_EQ(text(ControlId::Label6), "Version : 32");

    platform.locked.clear();
    platform.put("\\.env", "PORT=4000\n" + std::string(50 << 20, '\x01'));
    platform.files.erase(FakePlatform::at("\\TavrioPanel.log"));
    platform.bytesRead = 0;
    load();
    EXPECT_EQ(text(ControlId::txtPort), "4000");
    EXPECT_LE(platform.bytesRead, 64u * 1024) << "only the head of the file is read";
}

TEST_F(Load, UserCloseHidesAndOpenShows) {
    load();
    form->click(ControlId::cmdStart);
    platform.visible = true;
    form->end(EndReason::UserClose);
    EXPECT_FALSE(platform.visible);
    EXPECT_TRUE(platform.logMatching("end-").empty()) << "the window stays";
    EXPECT_EQ(platform.timer, 1000u) << "the bot and the timer carry on";
    form->click(ControlId::mnuOpen);
    EXPECT_TRUE(platform.visible);
    EXPECT_EQ(text(ControlId::LBCOMP), "DEMO SHOP");
}

TEST_F(Load, ACloseFromOutsideTheSessionsEndOrExitStopsOnceRemovesTheIconAndEnds) {
    for (const auto& [reason, end] : {std::pair{EndReason::OutsideClose, "end-window"},
                                      {EndReason::SessionEnd, "end-program"},
                                      {EndReason::Exit, "end-program"}}) {
        loadAndStart();
        platform.put("\\qr.txt", "code");
        if (reason == EndReason::Exit)
            form->click(ControlId::exitapp);
        else
            form->end(reason);
        EXPECT_EQ(platform.logMatching("command taskkill").size(), 1u);
        EXPECT_FALSE(platform.has("\\qr.txt"));
        EXPECT_EQ(platform.trayCalls.back().first, TrayMessage::Delete);
        EXPECT_EQ(platform.log.back(), end);
        if (reason == EndReason::Exit) {
            EXPECT_EQ(platform.timer, 0u) << "STOP";
        }
    }
}

TEST_F(Load, OnlyTheIconsRightPressOpensThePopupMenuAndItsChoiceRunsWithin) {
    load();
    platform.onPopup = [this] { form->click(ControlId::mnustart); };
    // The shell's other codes, handed over as codes, and the same press as a mere position at 144 DPI (10 twips
    // per pixel) open nothing.
    for (std::uint16_t code : {0x200, 0x201, 0x202, 0x203, 0x205, 0x206, 0x207, 0x208, 0x209, 0x403, 0x404, 0x405})
        form->trayNotification(kLeftButton, code);
    form->mouseMove(0, 0x204 * 10);
    EXPECT_TRUE(platform.logMatching("popup").empty());
    form->trayNotification(0, 0x204);
    EXPECT_EQ(platform.logMatching("popup").size(), 1u);
    EXPECT_EQ(platform.timer, 1000u) << "the menu's Start ran before the press returned";
}

TEST_F(Load, AnIconTheShellRefusesIsAddedAgainUntilItTakesItWithItsPictureAndTip) {
    platform.refusedAdds = 40;
    loadAndStart();
    EXPECT_EQ(platform.trayRetryTimer, 2000u);
    platform.put("\\ws.txt");
    form->timerTick();  // ready meanwhile
    for (int retry = 1; retry < 30; ++retry) form->trayRetryTick();
    EXPECT_EQ(platform.trayRetryTimer, 2000u) << "every 2 s for the first minute";
    form->trayRetryTick();
    EXPECT_EQ(platform.trayRetryTimer, 30000u) << "then every 30 s";
    while (platform.refusedAdds > 0) form->trayRetryTick();
    form->trayRetryTick();
    EXPECT_EQ(platform.trayRetryTimer, 0u);
    const auto shownLast = [&] {
        const auto& calls = platform.trayCalls;
        EXPECT_TRUE(platform.iconShown);
        EXPECT_EQ(testing::read32(calls[calls.size() - 2].second, tray_field::hIcon), testing::pictureHandle(1));
        EXPECT_EQ(testing::readField(calls.back().second, tray_field::szTip, 17),
                  std::string("Bot Ready online\0", 17));
    };
    shownLast();

    // A re-created shell that refuses too is tried again the same way.
    platform.iconShown = false;
    platform.refusedAdds = 1;
    form->taskbarCreated();
    EXPECT_EQ(platform.trayRetryTimer, 2000u);
    form->trayRetryTick();
    EXPECT_EQ(platform.trayRetryTimer, 0u);
    shownLast();
    // A re-created shell that takes it at once gets it back the same way.
    platform.iconShown = false;
    form->taskbarCreated();
    shownLast();
}

}  // namespace
}  // namespace tavrio
