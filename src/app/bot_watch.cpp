// A bot that ends on its own (a crash, a kill from outside) or stops answering while the panel runs it: started
// again after a pause that grows while it keeps ending, given up on when it loops, and said so in the tray. With
// keep-running switched off, the panel stops and says so once.
#include <cstdio>

#include "app/main_window.h"
#include "text/utf8.h"

namespace tavrio {
namespace {

std::string exitCodeText(std::uint32_t code) {
    // Crashes end with a status such as 0xC0000005, which is known by its hexadecimal form.
    if (code <= 0xFFFF) return std::to_string(code);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

// A ready bot that has answered `/phone` and then answers nothing for this long is taken for hung.
constexpr std::uint64_t kHangMs = 60000;
// Balloons wait while the user is in a presentation, a full-screen game or quiet hours.
constexpr std::int32_t kBalloonRespectsQuietTime = 0x80;

}  // namespace

bool Form1::botEndedOnItsOwn() {
    const std::optional<std::uint32_t> code = bot_.endedOnItsOwn();
    if (!code) return false;
    char ended[96];
    const std::uint64_t ranSeconds = (s_.clock.nowMs() - bot_.launchedAtMs()) / 1000;
    std::snprintf(ended, sizeof ended, "bot.exe ended with exit code 0x%08X (%u) after %llu:%02u:%02u",
                  static_cast<unsigned>(*code), static_cast<unsigned>(*code),
                  static_cast<unsigned long long>(ranSeconds / 3600), static_cast<unsigned>(ranSeconds / 60 % 60),
                  static_cast<unsigned>(ranSeconds % 60));
    note(ended);
    // A bot that asked to be restarted may end before the restart; the restart is then still the poller's.
    if (markerExists(file::kRestartMarker)) return false;
    // Windows ending the session ends the bot too: nothing to start again.
    botStopped("bot.exe has stopped (exit code " + exitCodeText(*code) + ")", isEndOnItsOwn(*code));
    return true;
}

void Form1::botStopped(const std::string& what, bool onItsOwn) {
    pressStop();
    clsSysTray* tray = tray_.icon();
    if (!keepsBotRunning_ || !onItsOwn) {
        note(keepsBotRunning_ ? "Not started again: Windows ended it with the session"
                              : "Not started again: keep-running is off");
        if (tray) tray->ShowBalloonTip(what, kBalloonRespectsQuietTime);
        return;
    }
    const KeepRunning::Verdict verdict = bot_.keepRunning().endedOnItsOwn(s_.clock.nowMs());
    if (verdict.giveUp) {
        note("Keep-running gives up: " + std::to_string(KeepRunning::kEndsToGiveUp) +
             " ends within 10 minutes; START starts it again");
        if (tray) {
            tray->TooltipText("bot.exe keeps stopping: press Start");
            tray->ShowBalloonTip(what +
                                     ", again and again: it is not started again until you press Start. What "
                                     "happened is in " +
                                     std::string(kSupportLogName) + " beside the panel.",
                                 kBalloonRespectsQuietTime);
        }
        return;
    }
    note("Keep-running: end " + std::to_string(verdict.endsInSeries) + " of the series, starting it again in " +
         std::to_string(verdict.pauseMs / 1000) + " s");
    if (tray) {
        tray->TooltipText("bot.exe stopped: starting it again");
        // One balloon for a series: a bot that keeps ending would otherwise pop one up at every end.
        if (verdict.firstOfSeries()) tray->ShowBalloonTip(what + "; starting it again", kBalloonRespectsQuietTime);
    }
    restartPending_ = true;
    s_.window.setRestartTimer(verdict.pauseMs);
}

void Form1::restartTick() {
    s_.window.setRestartTimer(0);
    if (ending_ || !restartPending_) return;
    restartPending_ = false;
    note("START by keep-running, after the pause");
    startingAgain_ = true;
    const bool undisturbed = pressStart();
    startingAgain_ = false;
    // Nobody may be there to answer a box: a bot that cannot be started again counts as one more end, and the
    // series goes on until the panel gives up.
    if (undisturbed && timerInterval_ == 0)
        botStopped("bot.exe could not be started again (" + launchError_ + ")", true);
}

void Form1::phoneAnswered(bool answered, const std::string& failure) {
    const std::string port(trimmed(control(ControlId::txtPort).text));
    if (answered) {
        phoneAnsweredOnPort_ = port;
        failingSince_.reset();
        return;
    }
    // Only a bot that is ready and has answered on this very port can hang: a changed port is the user's doing.
    const bool ready = control(ControlId::lblStatus).text == "BOT READY";
    if (!ready || phoneAnsweredOnPort_ != port) return;
    if (!failingSince_) failingSince_ = s_.clock.nowMs();
    lastFailure_ = failure;
}

bool Form1::botHangs() {
    if (!keepsBotRunning_ || !failingSince_) return false;
    // A port changed meanwhile ends the count: the silence may be the user's doing.
    if (phoneAnsweredOnPort_ != std::string(trimmed(control(ControlId::txtPort).text))) {
        failingSince_.reset();
        return false;
    }
    if (s_.clock.nowMs() - *failingSince_ < kHangMs) return false;
    note("bot.exe has not answered /phone for a minute: ended as hung");
    // The tick that waits behind the failure box ends once it closes: the bot it asked about is gone.
    if (phoneBoxOpen_) s_.messages.closeLatest();
    botStopped("bot.exe stopped answering (" + lastFailure_ + ")", true);
    return true;
}

}  // namespace tavrio
