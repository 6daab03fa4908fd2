// STOP, StopBot and Remove Session: ending every running bot and bringing the window to its stopped state.
#include "app/main_window.h"

namespace tavrio {

void Form1::StopBot() {
    bot_.stop();
    // A start due after a pause is cancelled; the next bot is watched afresh.
    restartPending_ = false;
    s_.window.setRestartTimer(0);
    phoneAnsweredOnPort_.reset();
    failingSince_.reset();
    road_ = Road::Unknown;
    phoneFailures_ = 0;
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
    if (clsSysTray* tray = tray_.icon()) {
        tray->SetIcon(s_.window, 0);
        tray->TooltipText("Bot offline");
    }
    tickCount_ = 1;
    setTimer(0);
}

void Form1::removeSession() {
    s_.files.deleteFile(path(file::kSession));  // a missing or locked file is passed over
    s_.clock.sleepMs(1000);
}

}  // namespace tavrio
