// START and LaunchBot: stopping whatever bot still runs, clearing its marker files, launching bot.exe hidden
// and putting the window into its running state.
#include <utility>

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
    // running. Messages sent from outside (a close, the session's end) still arrive in the wait and may stop the
    // bot again, adding a kill of their own: the wait goes over the kills it took, and the later one stays pending.
    constexpr std::uint64_t kLongestFurtherWaitMs = 4000;
    const std::uint64_t deadline = s_.clock.nowMs() + kLongestFurtherWaitMs;
    std::vector<std::shared_ptr<StartedProcess>> kills = std::exchange(pendingKills_, {});
    for (const auto& kill : kills) {
        const std::uint64_t now = s_.clock.nowMs();
        if (now >= deadline) return;
        if (kill->exitCode()) continue;
        if (!waitUndisturbed([&] { kill->waitForEnd(static_cast<std::uint32_t>(deadline - now)); })) {
            // The action that ran meanwhile decides what starts next; whatever launch comes waits for these too.
            pendingKills_.insert(pendingKills_.end(), kills.begin(), kills.end());
            return;
        }
    }
}

bool Form1::LaunchBot() {
    const std::uint32_t actions = botActions_;
    s_.clock.sleepMs(1000);
    waitForPendingKills();
    // Whatever ran during the waits (a close, a STOP) has the last word: no bot starts that nobody would watch.
    if (!undisturbedSince(actions)) return false;
    // A bot that is (still) starting has written start.txt; then no second one is launched.
    if (!markerExists(file::kStartMarker)) {
        const std::string botPath = path(file::kBot);
        // Started as exactly this file, so a folder whose name has a blank never starts another program.
        const StartResult result = s_.processes.startProgram(botPath, WindowMode::Hidden);
        if (!result.started) {
            setText(ControlId::Label3, std::to_string(botTaskId_));
            s_.messages.show("Cannot start " + botPath + "\r\n" + result.errorText, MessageIcon::Error);
            return false;
        }
        botTaskId_ = static_cast<std::int32_t>(result.processId);
        botProcess_ = result.process;
    }
    setText(ControlId::Label3, std::to_string(botTaskId_));
    return true;
}

}  // namespace tavrio
