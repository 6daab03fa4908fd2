// START and LaunchBot: stopping whatever bot still runs, clearing its marker files, launching bot.exe hidden
// and putting the window into its running state.
#include "app/main_window.h"

namespace tavrio {

void Form1::pressStart() {
    StopBot();
    deleteIfExists(file::kQrMarker);
    deleteIfExists(file::kReadyMarker);
    deleteIfExists(file::kStartMarker);
    if (!LaunchBot()) {
        // The bot could not be started: the user has been told why, and the window stays stopped so that
        // START can be used again once the folder is fixed.
        setEnabled(ControlId::cmdStart, true);
        setEnabled(ControlId::mnustart, true);
        setTimer(0);
        return;
    }
    setTimer(1000);
    setText(ControlId::txtPhone, "");
    setText(ControlId::txtMessage, "");
    setVisible(ControlId::Label2, true);
    setVisible(ControlId::Command3, false);
    setEnabled(ControlId::cmdStart, false);
    setEnabled(ControlId::mnustart, false);
    tickCount_ = 0;
}

void Form1::waitForPendingKill() {
    // The one-second wait before the launch is the kill's first second; on a busy machine it gets four more,
    // during which the window is repainted but takes no input. A kill that outlasts them is left running.
    constexpr std::uint32_t kLongestFurtherWaitMs = 4000;
    if (pendingKill_ && !pendingKill_->exitCode()) pendingKill_->waitForEnd(kLongestFurtherWaitMs);
    pendingKill_.reset();
}

bool Form1::LaunchBot() {
    s_.clock.sleepMs(1000);
    waitForPendingKill();
    bool launched = true;
    // A bot that is (still) starting has written start.txt; then no second one is launched.
    if (!markerExists(file::kStartMarker)) {
        const std::string botPath = path(file::kBot);
        // Started as exactly this file, so a folder whose name has a blank never starts another program.
        const StartResult result = s_.processes.startProgram(botPath, WindowMode::Hidden);
        if (result.started) {
            botTaskId_ = static_cast<std::int32_t>(result.processId);
            botProcess_ = result.process;
        } else {
            launched = false;
            s_.messages.show("Cannot start " + botPath + "\r\n" + result.errorText, MessageIcon::Error);
        }
    }
    setText(ControlId::Label3, std::to_string(botTaskId_));
    return launched;
}

}  // namespace tavrio
