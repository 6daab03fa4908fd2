// START and LaunchBot: stopping whatever bot still runs, clearing its marker files, launching bot.exe hidden
// and putting the window into its running state.
#include "app/main_window.h"

namespace tavrio {

Form1::StartOutcome Form1::pressStart(Starter by) {
    if (ending_) return StartOutcome::Interrupted;  // nothing starts once the program ends
    // Off for the whole of START: a Start chosen while its message box is open would launch a bot that this
    // START then leaves unwatched.
    setStartEnabled(false);
    // No tick of the bot being replaced may run behind START's box and show it as ready.
    setTimer(0);
    StopBot();
    deleteIfExists(file::kQrMarker);
    deleteIfExists(file::kReadyMarker);
    deleteIfExists(file::kStartMarker);
    bool launched = false;
    if (!waitUndisturbed([&] { launched = LaunchBot(by); })) return StartOutcome::Interrupted;
    if (!launched) {
        // The bot could not be started: the window stays stopped so that START can be used again once the folder
        // is fixed.
        setStartEnabled(true);
        setTimer(0);
        return StartOutcome::NotLaunched;
    }
    setTimer(1000);
    setText(ControlId::txtPhone, "");
    setText(ControlId::txtMessage, "");
    setVisible(ControlId::Label2, true);
    setVisible(ControlId::Command3, false);
    setStartEnabled(false);
    restartTickCount(0);
    return StartOutcome::Launched;
}

bool Form1::LaunchBot(Starter by) {
    s_.clock.sleepMs(1000);
    // Whatever ran during the waits (a close, a STOP) has the last word: no bot starts that nobody would watch.
    if (!waitUndisturbed([this] { bot_.waitForPendingKills(); })) return false;
    // A bot that is (still) starting has written start.txt; then no second one is launched.
    if (!markerExists(file::kStartMarker)) {
        const std::string botPath = path(file::kBot);
        // Started as exactly this file, so a folder whose name has a blank never starts another program.
        const StartResult result = bot_.launch(botPath, by);
        if (!result.started) {
            setText(ControlId::Label3, std::to_string(bot_.taskId()));
            launchError_ = result.errorText;
            note("bot.exe could not be started: " + result.errorText);
            // Nobody may be there to answer a box when the panel itself starts the bot again.
            if (by != Starter::Panel)
                showBox("Cannot start " + botPath + "\r\n" + result.errorText, MessageIcon::Error);
            return false;
        }
        note("bot.exe started, process " + std::to_string(result.processId));
    } else {
        note("bot.exe not started: start.txt says one is still starting");
    }
    setText(ControlId::Label3, std::to_string(bot_.taskId()));
    return true;
}

}  // namespace tavrio
