// START and LaunchBot: stopping whatever bot still runs, clearing its marker files, launching bot.exe hidden
// and putting the window into its running state.
#include "app/main_window.h"

namespace tavrio {

bool Form1::pressStart() {
    // Off for the whole of START: a Start chosen while its message box is open would launch a bot that this
    // START then leaves unwatched.
    setStartEnabled(false);
    StopBot();
    deleteIfExists(file::kQrMarker);
    deleteIfExists(file::kReadyMarker);
    deleteIfExists(file::kStartMarker);
    bool launched = false;
    if (!waitUndisturbed([&] { launched = LaunchBot(); })) return false;
    if (!launched) {
        // The bot could not be started: the user has been told why, and the window stays stopped so that
        // START can be used again once the folder is fixed.
        setStartEnabled(true);
        setTimer(0);
        return true;
    }
    setTimer(1000);
    setText(ControlId::txtPhone, "");
    setText(ControlId::txtMessage, "");
    setVisible(ControlId::Label2, true);
    setVisible(ControlId::Command3, false);
    setStartEnabled(false);
    tickCount_ = 0;
    return true;
}

void Form1::waitForPendingKills() {
    // The one-second wait before the launch is the kills' first second; on a busy machine they get four more
    // between them, during which the window is repainted but takes no input. A kill that outlasts them is left
    // running.
    constexpr std::uint64_t kLongestFurtherWaitMs = 4000;
    const std::uint64_t deadline = s_.clock.nowMs() + kLongestFurtherWaitMs;
    for (const auto& kill : pendingKills_) {
        const std::uint64_t now = s_.clock.nowMs();
        if (now >= deadline) break;
        if (!kill->exitCode()) kill->waitForEnd(static_cast<std::uint32_t>(deadline - now));
    }
    pendingKills_.clear();
}

bool Form1::LaunchBot() {
    s_.clock.sleepMs(1000);
    waitForPendingKills();
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
