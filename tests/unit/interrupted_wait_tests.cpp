// The user acts while the panel waits with the window's events running (a message box, the tick's event pass, the
// tray menu). Whatever START, STOP, Exit or close ran meanwhile leaves the bot's state as it is: the operation that
// waited changes nothing more of it.
#include "form_fixture.h"

namespace tavrio {
namespace {

using testing::FakePlatform;
using testing::FormTest;

// Everything of the bot's state that the user sees.
struct Seen {
    std::vector<std::tuple<std::string, bool, bool, std::int32_t>> controls;
    std::uint32_t timer = 0;
    std::int32_t tickCount = 0;  // which of the tick's late steps fall due
    bool windowVisible = false;
    TrayRecordBytes tray{};
    std::string tooltip;
    std::size_t trayCalls = 0;
    bool trayAlive = false;  // a program that ends frees it once the outermost call has returned
    bool operator==(const Seen& other) const {
        const bool sameTray = !trayAlive || !other.trayAlive || (tray == other.tray && tooltip == other.tooltip);
        return controls == other.controls && timer == other.timer && tickCount == other.tickCount &&
               windowVisible == other.windowVisible && sameTray && trayCalls == other.trayCalls;
    }
};

class InterruptedWait : public FormTest {
protected:
    Seen seen() {
        Seen s;
        for (std::size_t i = 0; i < kControlCount; ++i) {
            const ControlState& state = form->control(static_cast<ControlId>(i));
            s.controls.emplace_back(state.text, state.visible, state.enabled, state.textColor);
        }
        s.timer = platform.timer;
        s.tickCount = form->tickCount();
        s.windowVisible = platform.visible;
        s.trayCalls = platform.trayCalls.size();
        if ((s.trayAlive = form->sysTray() != nullptr)) {
            s.tray = form->sysTray()->record().bytes(platform);
            s.tooltip = form->sysTray()->TooltipText();
        }
        return s;
    }

    // The later actions, each as the real window delivers it.
    enum class Action { Stop, TrayStop, Exit, OutsideClose };
    void act(Action action) {
        switch (action) {
            case Action::Stop: form->click(ControlId::Command1); break;
            case Action::TrayStop: form->click(ControlId::mnuStop); break;
            case Action::Exit: form->click(ControlId::exitapp); break;
            case Action::OutsideClose: form->end(EndReason::OutsideClose); break;
        }
    }
    static constexpr Action kActions[] = {Action::Stop, Action::TrayStop, Action::Exit, Action::OutsideClose};

    // Runs `operation`; the first message box it opens sees `later` and records what the window showed then.
    Seen interruptAtItsBox(const std::function<void()>& later, const std::function<void()>& operation) {
        Seen afterLater;
        platform.onShow = [&](const std::string&) {
            platform.onShow = nullptr;
            later();
            afterLater = seen();
        };
        operation();
        EXPECT_EQ(platform.onShow, nullptr) << "no box was shown";
        return afterLater;
    }
};

TEST_F(InterruptedWait, ATickWhosePhoneBoxSeesAStopExitOrCloseChangesNothingMore) {
    for (const Action action : kActions) {
        SCOPED_TRACE(static_cast<int>(action));
        platform.trayCalls.clear();
        platform.defaultAnswer = FakePlatform::answer("");
        loadAndStart();
        platform.put("\\ws.txt");
        form->timerTick();  // ready
        platform.defaultAnswer = FakePlatform::refused();
        const Seen afterLater = interruptAtItsBox([&] { act(action); }, [&] { form->timerTick(); });
        EXPECT_EQ(seen(), afterLater);
        if (action == Action::Stop || action == Action::TrayStop) {
            EXPECT_EQ(form->sysTray()->record().hIcon, testing::pictureHandle(0));
            EXPECT_EQ(form->sysTray()->TooltipText(), "Bot offline");
        }
        // Nothing runs once the program is ending, not even a tick that was already due.
        if (action == Action::Exit || action == Action::OutsideClose) {
            const std::size_t requests = platform.requests.size();
            form->timerTick();
            form->click(ControlId::cmdStart);
            EXPECT_EQ(platform.requests.size(), requests);
            EXPECT_EQ(platform.logMatching("program").size(), 0u);
        }
    }
}

TEST_F(InterruptedWait, StartWhoseBoxSeesAStopOrAnotherStartLeavesTheLaterStateAndItsBotWatched) {
    load();
    platform.nextProgramStart = {false, 0, "The system cannot find the file specified.", nullptr};
    // While START's box is open neither Start can be used; STOP can, and after it the tray's Start launches the
    // bot that the user has put in place meanwhile.
    const Seen afterLater = interruptAtItsBox(
        [&] {
            EXPECT_FALSE(c(ControlId::cmdStart).enabled);
            EXPECT_FALSE(c(ControlId::mnustart).enabled);
            form->click(ControlId::Command1);
            platform.nextProgramStart = {true, 77, "", nullptr};
            form->click(ControlId::mnustart);
        },
        [&] { form->click(ControlId::cmdStart); });
    EXPECT_EQ(seen(), afterLater);
    EXPECT_EQ(platform.timer, 1000u) << "the bot that runs is watched";
    EXPECT_FALSE(c(ControlId::cmdStart).enabled);
    platform.started.back()->ended = 1;
    form->timerTick();
    EXPECT_EQ(text(ControlId::lblStatus), "? BOT offline") << "and its end is noticed";

    // The same for the START of a restart, inside a tick: the tick ends with it.
    loadAndStart();
    platform.put("\\ssreomve.txt");
    platform.put("\\ws.txt");
    platform.nextProgramStart = {false, 0, "gone", nullptr};
    platform.requests.clear();
    const Seen afterStop = interruptAtItsBox([&] { act(Action::Stop); },
                                             [&] {
                                                 platform.onSleep = [&](std::uint32_t) { platform.put("\\ws.txt"); };
                                                 form->timerTick();
                                             });
    EXPECT_EQ(seen(), afterStop);
    EXPECT_TRUE(platform.requests.empty()) << "the ready step did not run";
}

TEST_F(InterruptedWait, AStartWhoseWaitForTheKillsSeesAnotherActionLaunchesNothing) {
    for (const Action action : kActions) {
        SCOPED_TRACE(static_cast<int>(action));
        loadAndStart();
        platform.commandsLinger = true;  // every kill still runs when START waits for it
        for (int i = 0; i < 3; ++i) form->click(ControlId::Command1);
        Seen afterLater;
        platform.onWaitForEnd = [&] {
            platform.onWaitForEnd = nullptr;
            act(action);  // adds a kill of its own while START goes over the pending ones
            afterLater = seen();
        };
        platform.clearLog();
        form->click(ControlId::cmdStart);
        EXPECT_EQ(seen(), afterLater);
        EXPECT_TRUE(platform.logMatching("program").empty()) << "no bot that nobody would watch";
        if (action == Action::Stop) {
            // The kills that START did not see end are still waited for by the next launch.
            platform.clearLog();
            form->click(ControlId::cmdStart);
            EXPECT_EQ(platform.logMatching("wait-for-end").size(), 5u);
            EXPECT_EQ(platform.logMatching("program").size(), 1u);
        }
    }
}

TEST_F(InterruptedWait, ATickWhoseEventPassSeesAStopOrAStopAndAStartEndsThere) {
    for (const bool startAgain : {false, true}) {
        SCOPED_TRACE(startAgain ? "STOP and START" : "STOP");
        loadAndStart();
        for (int i = 0; i < 119; ++i) form->timerTick();
        platform.visible = false;
        platform.put("\\log\\message-counter.txt", "5\r\n");
        Seen afterLater;
        platform.onPump = [&] {
            platform.onPump = nullptr;
            form->click(ControlId::Command1);
            if (startAgain) form->click(ControlId::cmdStart);
            afterLater = seen();
        };
        platform.requests.clear();
        form->timerTick();  // tick 120, whose phone line and counter are due
        EXPECT_EQ(seen(), afterLater);
        EXPECT_TRUE(platform.requests.empty());
    }
}

TEST_F(InterruptedWait, TheLoadFinishesAfterItsBoxButLeavesInViewWhatATickShowedMeanwhile) {
    platform.files.erase(FakePlatform::at("\\.env"));
    platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|Autostrat"] = "1";
    create();
    platform.onShow = [&](const std::string&) {
        platform.put("\\qr.txt", "code");
        form->timerTick();
    };
    form->loadHidden();
    EXPECT_TRUE(platform.visible) << "the QR code that came during the box";
    EXPECT_EQ(text(ControlId::QR1), "code");
    EXPECT_EQ(form->title(), ".") << "the load finished";
    EXPECT_EQ(text(ControlId::Label6), "Version : 32");

    // Without a box, the entry shows the window and hides it at once.
    platform.put("\\.env", "PORT=3033\n");
    platform.clearLog();
    create();
    form->loadHidden();
    EXPECT_EQ(platform.logMatching("show-window").size() + platform.logMatching("hide-window").size(), 2u);
    EXPECT_FALSE(platform.visible);
}

}  // namespace
}  // namespace tavrio

namespace tavrio {
namespace {

// A whole road: auto-start, the QR code, ready, the tray menu, a Send, a crash and its restart, a hang.
void wholeRoad(Form1& form, FakePlatform& platform) {
    form.loadHidden();
    platform.put("\\qr.txt", "code");
    form.timerTick();
    platform.put("\\ws.txt");
    form.timerTick();
    form.mouseDown(kRightButton, clsSysTray::notificationInTwips(516));
    form.textEdited(ControlId::txtPhone, "919812345678");
    form.click(ControlId::Command2);
    if (!platform.started.empty()) platform.started.back()->ended = 0xC0000005;
    form.timerTick();
    for (int fired = 0; fired < 3 && platform.botLifeTimer != 0; ++fired) {
        platform.now += platform.botLifeTimer;
        form.botLifeTick();
    }
    platform.put("\\ws.txt");
    form.timerTick();  // answers
    platform.defaultAnswer = FakePlatform::refused();
    platform.onShow = [&](const std::string&) {
        for (int tick = 0; tick < 61; ++tick) {
            platform.now += 1000;
            form.timerTick();
        }
    };
    form.timerTick();
}

TEST(CloseAnywhere, ACloseOrExitAtAnyCallThatRunsMessagesEndsThePanelOnceAndFreesNothingUnderIt) {
    for (const bool exit : {false, true}) {
        for (int at = 1;; ++at) {
            SCOPED_TRACE((exit ? "Exit at call " : "close at call ") + std::to_string(at));
            FakePlatform platform;
            platform.put("\\.env", "PORT=3033\nTAVRIO_API_KEY=qvx\nCOMPNEYNAME=demo shop\n");
            platform.put("\\bot.exe");
            platform.profile[FakePlatform::at("\\conf.ini") + "|tavriobot|Autostrat"] = "1";
            Form1 form(platform.services());
            std::size_t launchesBefore = 0;
            platform.onPoint = [&](int point) {
                if (point != at) return;
                launchesBefore = platform.logMatching("program").size();
                exit ? form.click(ControlId::exitapp) : form.end(EndReason::OutsideClose);
                EXPECT_FALSE(platform.iconShown) << "the icon goes at once";
                EXPECT_TRUE(platform.logMatching({"end-window", "end-program"}).empty()) << "not under a call";
            };
            wholeRoad(form, platform);
            platform.onPoint = nullptr;
            if (platform.points < at) break;  // every call of the road has seen one
            EXPECT_EQ(platform.logMatching({"end-window", "end-program"}).size(), 1u);
            EXPECT_EQ(platform.logMatching("program").size(), launchesBefore) << "nothing starts after it";
            EXPECT_EQ(form.sysTray(), nullptr);
            EXPECT_EQ(platform.trayCalls.back().first, TrayMessage::Delete);
            EXPECT_FALSE(platform.awake);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace tavrio
