// STOP, StopBot and Remove Session: ending every running bot and bringing the window to its stopped state.
#include "app/main_window.h"

namespace tavrio {

void Form1::StopBot(bool endWhatItStarted) {
    bot_.stop(endWhatItStarted);
    armBotLifeTimer();
    deleteIfExists(file::kQrMarker);
    deleteIfExists(file::kReadyMarker);
    setText(ControlId::lblStatus, "? BOT offline");
    setColor(ControlId::lblStatus, kRed);
}

void Form1::pressStop(bool endWhatItStarted) {
    StopBot(endWhatItStarted);
    setVisible(ControlId::Command3, true);
    setStartEnabled(true);
    setText(ControlId::Label4, "");
    tray_.picture(0);
    tray_.tooltip("Bot offline");
    restartTickCount(1);
    setTimer(0);
}

void Form1::removeSession() {
    // A try that was due would start the bot with the session just removed.
    if (bot_.startDueAtMs()) {
        bot_.cancelStart();
        armBotLifeTimer();
        tray_.tooltip("Bot offline");
    }
    s_.files.deleteFile(path(file::kSession));  // a missing or locked file is passed over
    s_.clock.sleepMs(1000);
}

}  // namespace tavrio
