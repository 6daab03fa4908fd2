// What the owner learns of the bot without watching it: outages (also the one while the panel did not run), the
// alert on the owner's phone, the tray menu's lines, and the support log one click away.
#include "app/bot_http.h"
#include "app/main_window.h"
#include "app/wall_clock.h"

namespace tavrio {
namespace {

constexpr const char* kEndedByExit = "Tavrio Panel ends: Exit in the tray menu";
constexpr const char* kEndedWithTheSession = "Tavrio Panel ends: Windows is ending the session";
constexpr const char* kAlertSentMark = "Alert sent to ";
// The tail read at start: enough for the last line and for a day's alerts in all but the busiest logs.
constexpr std::uint64_t kTailBytes = 64 * 1024;
// Windows that started again this soon after it ended the session restarted for an update.
constexpr std::int64_t kRestartedWithinSeconds = 10 * 60;
constexpr std::uint64_t kReadyLineEveryMs = 3600 * 1000;

// The complete lines at the end of a file, oldest first.
std::vector<std::string> tailLines(FileSystem& files, const std::string& path) {
    const std::uint64_t size = files.fileSize(path).value_or(0);
    const std::uint64_t from = size > kTailBytes ? size - kTailBytes : 0;
    const std::string tail = files.readBytes(path, from, size - from).value_or("");
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = tail.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(tail.substr(start, end - start));
    if (from > 0 && !lines.empty()) lines.erase(lines.begin());  // cut in its middle
    return lines;
}

}  // namespace

void Form1::readTheLastRun() {
    std::vector<std::string> lines = tailLines(s_.files, log_.path());
    if (lines.empty()) lines = tailLines(s_.files, s_.programFolder + "\\" + kOldSupportLogName);
    const LocalTime now = s_.clock.localTime();
    int alertsToday = 0;
    for (const std::string& line : lines) {
        const std::optional<LocalTime> at = logLineTime(line);
        alertsToday += at && sameDay(*at, now) && line.find(kAlertSentMark) != std::string::npos;
    }
    alerts_.sentEarlier(alertsToday, now);
    if (lines.empty()) return;
    const std::optional<LocalTime> lastAt = logLineTime(lines.back());
    // A clock that went backwards makes no gap.
    if (!lastAt || utcSeconds(now) < utcSeconds(*lastAt)) return;
    const std::string& last = lines.back();
    if (last.find(kEndedByExit) != std::string::npos) return;
    if (last.find(kEndedWithTheSession) != std::string::npos) {
        // A PC shut down for the night is no outage; one that an update restarted is.
        const std::int64_t bootedAt = utcSeconds(now) - static_cast<std::int64_t>(s_.clock.nowMs() / 1000);
        if (bootedAt - utcSeconds(*lastAt) > kRestartedWithinSeconds) return;
        return outages_.begin(*lastAt, "Windows restarted", std::nullopt);
    }
    // No end line: a power cut, a crash, a kill. The panel last wrote then; its end came some time after.
    outages_.begin(*lastAt, "the panel was not running", std::nullopt, true);
}

void Form1::outageBegins(const std::string& cause, std::optional<std::uint32_t> exitCode) {
    outages_.begin(s_.clock.localTime(), cause, exitCode);
}

void Form1::outageGoesOn(Outages::Event event) { outages_.goesOn(event); }

void Form1::userStopped() {
    if (const std::optional<Outage> ended = outages_.userStopped(s_.clock.localTime()))
        note("Outage " + outageText(*ended, s_.clock.localTime()) + ": ended by the user");
}

void Form1::ownerTick() {
    const bool ready = bot_.road() == Road::Ready;
    const bool newlyReady = ready && !wasReady_;
    wasReady_ = ready;
    const std::uint64_t now = s_.clock.nowMs();
    const LocalTime today = s_.clock.localTime();
    if (!ready) readySinceMs_.reset();
    // The road's change wrote a line of its own; from then on, one an hour, so that a log that ends without an
    // end line is never more than an hour out.
    if (newlyReady) readySinceMs_ = lastReadyLineMs_ = now;
    if (ready && now - lastReadyLineMs_ >= kReadyLineEveryMs) {
        note("The bot is still ready");
        lastReadyLineMs_ = now;
    }
    if (const std::optional<Outage> ended = outages_.seen(ready, now, today)) {
        note("Outage " + outageText(*ended, today) + " (" + durationText(ended->seconds) + "): the bot is ready again");
        if (alertPhone_) alerts_.outageEnded(*ended);
    }
    if (!alertPhone_) return;
    switch (alerts_.go(ready, newlyReady, now, today)) {
        case AlertPlan::Go::No: return;
        case AlertPlan::Go::OverTheDaysCap:
            return note("Alerts: " + std::to_string(AlertPlan::kMostADay) + " sent today; no more until tomorrow");
        case AlertPlan::Go::Send: return sendAlert();
    }
}

void Form1::sendAlert() {
    const Outage& outage = alerts_.outage();
    const LocalTime today = s_.clock.localTime();
    std::string details;
    const auto add = [&](const std::string& part) { details += (details.empty() ? "" : ", ") + part; };
    if (outage.restarts > 0) add(std::to_string(outage.restarts) + (outage.restarts == 1 ? " restart" : " restarts"));
    if (outage.lastExitCode) add("last exit code " + exitCodeText(*outage.lastExitCode));
    if (!outage.cause.empty()) add(outage.cause);
    if (outage.reachedGiveUp) add("it kept stopping");
    const std::string who = companyName_.empty() ? s_.computerName : companyName_;
    const std::string text = who + " panel: bot.exe was down from " +
                             (outage.fromSomeTimeAfter ? "some time after " : "") + clockText(outage.from, today) +
                             " to " + clockText(outage.to, today) + (details.empty() ? "" : " (" + details + ")") +
                             ". It is ready again.";
    const HttpResult result = sendToBot(botUrl("/send-text"), alertRequest(*alertPhone_, text));
    // A time-out may still have gone out: never twice.
    const bool sent = (result.ok && result.status / 100 == 2) || (!result.ok && result.errorNumber == kTimedOutError);
    const std::string to = phoneForLog(*alertPhone_);
    if (sent) {
        note(kAlertSentMark + to +
             (result.ok ? ": status " + std::to_string(result.status) : ": timed out, may have gone"));
    } else {
        note("Alert to " + to +
             " failed: " + (result.ok ? "status " + std::to_string(result.status) : failureMessage(result)));
    }
    if (alerts_.tried(sent, s_.clock.nowMs())) note("Alert to " + to + " given up after two tries");
}

void Form1::refreshMenuLines() {
    const LocalTime now = s_.clock.localTime();
    const std::uint64_t nowMs = s_.clock.nowMs();
    std::string state = "Stopped";
    if (const std::optional<std::uint64_t> due = bot_.startDueAtMs()) {
        const std::uint64_t inMs = *due > nowMs ? *due - nowMs : 0;
        state = bot_.givenUp() ? "bot.exe keeps stopping: next try at " + clockTextIn(now, inMs)
                               : "Starting bot.exe again in " + std::to_string((inMs + 999) / 1000) + " s";
    } else if (timerInterval_ != 0) {
        switch (bot_.road()) {
            case Road::Ready:
                if (readySinceMs_) {
                    const std::int64_t seconds = static_cast<std::int64_t>((nowMs - *readySinceMs_) / 1000);
                    state = "Bot ready since " + clockText(secondsBefore(now, seconds), now) + " (" +
                            durationText(seconds) + ")";
                } else {
                    state = "Bot ready";
                }
                break;
            case Road::Qr: state = "Waiting for a phone to be linked"; break;
            case Road::Waiting: state = "Waiting for the bot's session"; break;
            case Road::Unknown: state = "Starting bot.exe"; break;
        }
    }
    setText(ControlId::mnuState, state);
    if (const std::optional<Outage>& last = outages_.last()) {
        setText(ControlId::mnuOutage, "Last outage: " + outageText(*last, now));
        setVisible(ControlId::mnuOutage, true);
    }
}

void Form1::openSupportLog() {
    if (!s_.files.isPlainFile(log_.path())) {
        showBox("There is no support log yet: " + log_.path(), MessageIcon::None);
        return;
    }
    const StartResult result = s_.processes.startNotepad(log_.path());
    if (!result.started) showBox("Cannot open " + log_.path() + "\r\n" + result.errorText, MessageIcon::Error);
}

}  // namespace tavrio
