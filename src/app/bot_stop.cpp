// STOP, StopBot and Remove Session: ending every running bot and bringing the window to its stopped state.
#include <algorithm>

#include "app/main_window.h"

namespace tavrio {

void Form1::StopBot() {
    ++botActions_;
    // From here on the bot ends by the panel's own doing: that is no news for the user.
    botProcess_.reset();
    // Neither command is waited for, and a failure of either is passed over: with no bot running the kill
    // simply fails in its hidden window. The next launch waits for the kill, so that it cannot end the new bot.
    // STOP's kill may start a moment after START's own and still be on its way: every one is kept.
    const auto ended = [](const std::shared_ptr<StartedProcess>& kill) { return kill->exitCode().has_value(); };
    pendingKills_.erase(std::remove_if(pendingKills_.begin(), pendingKills_.end(), ended), pendingKills_.end());
    if (auto kill = s_.processes.startCommandLine("taskkill /f /im bot.exe", WindowMode::Hidden).process)
        pendingKills_.push_back(std::move(kill));
    s_.processes.startCommandLine(" timeout /t 2", WindowMode::MinimizedWithFocus);
    deleteIfExists(file::kQrMarker);
    deleteIfExists(file::kReadyMarker);
    setText(ControlId::lblStatus, "? BOT offline");
    setColor(ControlId::lblStatus, kRed);
}

void Form1::pressStop() {
    StopBot();
    setVisible(ControlId::Command3, true);
    setStartEnabled(true);
    setText(ControlId::Label4, "");
    if (SysTray) {
        SysTray->SetIcon(s_.window, 0);
        SysTray->TooltipText("Bot offline");
    }
    tickCount_ = 1;
    setTimer(0);
}

void Form1::removeSession() {
    s_.files.deleteFile(path(file::kSession));  // a missing or locked file is passed over
    s_.clock.sleepMs(1000);
}

}  // namespace tavrio
