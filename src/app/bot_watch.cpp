// A bot that ends on its own (a crash, a kill from outside), stops answering or cannot be started again while the
// panel keeps it running: the window tells the bot's life what happened and does what it decides, and the tray
// says so. With keep-running switched off, the panel stops and says so once.
#include <cstdio>

#include "app/bot_http.h"
#include "app/main_window.h"
#include "app/outages.h"
#include "app/wall_clock.h"

namespace tavrio {
namespace {}  // namespace

bool Form1::botEndedOnItsOwn() {
    const std::optional<std::uint32_t> code = bot_.endedOnItsOwn();
    if (!code) return false;
    char ended[96];
    const std::uint64_t ranSeconds = bot_.ranMs() / 1000;
    std::snprintf(ended, sizeof ended, "bot.exe ended with exit code 0x%08X (%u) after %llu:%02u:%02u",
                  static_cast<unsigned>(*code), static_cast<unsigned>(*code),
                  static_cast<unsigned long long>(ranSeconds / 3600), static_cast<unsigned>(ranSeconds / 60 % 60),
                  static_cast<unsigned>(ranSeconds % 60));
    note(ended);
    // A bot that asked to be restarted may end before the restart; the restart is then still the poller's.
    if (markerExists(file::kRestartMarker)) return false;
    // Windows ending the session ends the bot too: nothing to start again.
    if (isEndOnItsOwn(*code)) outageBegins("", *code);
    botStopped("bot.exe has stopped (exit code " + exitCodeText(*code) + ")", isEndOnItsOwn(*code));
    return true;
}

void Form1::botStopped(const std::string& what, bool onItsOwn) {
    // The tick that waits behind the failure box ends once it closes: the bot it asked about is gone.
    if (phoneBoxDepth_ != 0) s_.messages.closeBox(phoneBoxDepth_);
    // What a bot that ended on its own started stays until the next stop when nothing starts it again.
    pressStop(bot_.keepsRunning());
    const BotLife::Decision decision = bot_.botDown(onItsOwn);
    armBotLifeTimer();
    using Next = BotLife::Decision::Next;
    if (decision.next == Next::StayStopped) {
        note(bot_.keepsRunning() ? "Not started again: Windows ended it with the session"
                                 : "Not started again: keep-running is off");
        tray_.balloon(what);
        return;
    }
    const std::string nextTry = clockTextIn(s_.clock.localTime(), decision.pauseMs);
    if (decision.next == Next::SlowRetry) {
        tray_.tooltip("bot.exe keeps stopping: next try at " + nextTry);
        if (!decision.justGaveUp) return note("Keep-running: the try did not last; the next one is at " + nextTry);
        outageGoesOn(Outages::Event::GaveUp);
        note("Keep-running gives up: " + std::to_string(KeepRunning::kEndsToGiveUp) +
             " ends within 10 minutes; it tries again every 15 minutes, or at START");
        tray_.balloon(what + ", again and again: it is tried again every 15 minutes (next at " + nextTry +
                      ") or when you press Start. What happened is in " + std::string(kSupportLogName) +
                      " beside the panel.");
        return;
    }
    note("Keep-running: end " + std::to_string(decision.endsInSeries) + " of the series, starting it again in " +
         std::to_string(decision.pauseMs / 1000) + " s");
    tray_.tooltip("bot.exe stopped: starting it again");
    // One balloon for a series: a bot that keeps ending would otherwise pop one up at every end.
    if (decision.firstOfSeries()) tray_.balloon(what + "; starting it again");
}

void Form1::botLifeTick() {
    Operation operation(*this);
    if (ending_) return s_.window.setBotLifeTimer(0);
    const bool startNow = bot_.due();
    armBotLifeTimer();
    if (!startNow) return;
    note(bot_.givenUp() ? "START by keep-running: the try every 15 minutes" : "START by keep-running, after the pause");
    outageGoesOn(Outages::Event::Restarted);
    // Nobody may be there to answer a box: a bot that cannot be started again counts as one more end.
    if (pressStart(Starter::Panel) == StartOutcome::NotLaunched) {
        outageBegins("could not start");
        botStopped("bot.exe could not be started again (" + launchError_ + ")", true);
    }
}

void Form1::armBotLifeTimer() { s_.window.setBotLifeTimer(bot_.nextDueMs()); }

bool Form1::botHangs() {
    if (!bot_.hangs()) return false;
    note("bot.exe has not answered /phone for a minute: ended as hung");
    outageBegins("not answering");
    botStopped("bot.exe stopped answering (" + bot_.lastPhoneFailure() + ")", true);
    return true;
}

void Form1::askBehindTheBox() {
    if (phoneBoxDepth_ == 0 || bot_.road() != Road::Ready || botEndedOnItsOwn()) return;
    // No second box, and nothing of the window changes: only the bot's life hears the answer.
    phoneAnswered(sendToBot(botUrl("/phone"), phoneRequest()));
    botHangs();
}

}  // namespace tavrio
