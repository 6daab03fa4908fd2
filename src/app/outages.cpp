#include "app/outages.h"

#include <cstdio>
#include <utility>

#include "app/wall_clock.h"

namespace tavrio {

std::string exitCodeText(std::uint32_t code) {
    if (code <= 0xFFFF) return std::to_string(code);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

std::string outageText(const Outage& outage, const LocalTime& today) {
    std::string text = (outage.fromSomeTimeAfter ? "some time after " : "") + clockText(outage.from, today) + " to " +
                       clockText(outage.to, today);
    if (outage.restarts > 0)
        text += ", " + std::to_string(outage.restarts) + (outage.restarts == 1 ? " restart" : " restarts");
    if (outage.lastExitCode) text += ", exit code " + exitCodeText(*outage.lastExitCode);
    if (!outage.cause.empty()) text += ", " + outage.cause;
    return text;
}

void Outages::begin(const LocalTime& now, const std::string& cause, std::optional<std::uint32_t> exitCode,
                    bool someTimeAfter) {
    readySinceMs_.reset();
    if (!current_) {
        current_ = Outage{};
        current_->from = now;
        current_->fromSomeTimeAfter = someTimeAfter;
    }
    if (exitCode) current_->lastExitCode = exitCode;
    if (!cause.empty()) current_->cause = cause;
}

void Outages::goesOn(Event event) {
    if (!current_) return;
    if (event == Event::Restarted) ++current_->restarts;
    if (event == Event::GaveUp) current_->reachedGiveUp = true;
}

std::optional<Outage> Outages::seen(bool ready, std::uint64_t nowMs, const LocalTime& now) {
    if (!current_) return std::nullopt;
    if (!ready) {
        readySinceMs_.reset();
        return std::nullopt;
    }
    if (!readySinceMs_) readySinceMs_ = nowMs;
    if (nowMs - *readySinceMs_ < kReadyForMs) return std::nullopt;
    // It ended when the bot became ready again.
    return end(secondsBefore(now, static_cast<std::int64_t>((nowMs - *readySinceMs_) / 1000)), true);
}

std::optional<Outage> Outages::userStopped(const LocalTime& now) { return current_ ? end(now, false) : std::nullopt; }

std::optional<Outage> Outages::end(const LocalTime& to, bool byReady) {
    Outage outage = *current_;
    current_.reset();
    readySinceMs_.reset();
    outage.to = to;
    outage.endedByReady = byReady;
    // A clock that went backwards makes no negative outage.
    const std::int64_t seconds = utcSeconds(to) - utcSeconds(outage.from);
    outage.seconds = seconds > 0 ? seconds : 0;
    last_ = outage;
    return outage;
}

std::optional<std::string> AlertPlan::phoneOf(const std::string& setting) {
    std::string digits;
    for (char c : setting)
        if (c >= '0' && c <= '9') digits += c;
    if (digits.size() < 8 || digits.size() > 15) return std::nullopt;
    return digits;
}

void AlertPlan::newDay(const LocalTime& today) {
    if (sameDay(day_, today)) return;
    day_ = today;
    sentToday_ = 0;
    capSaid_ = false;
}

void AlertPlan::sentEarlier(int count, const LocalTime& today) {
    newDay(today);
    sentToday_ = count;
}

bool AlertPlan::outageEnded(const Outage& outage) {
    if (!outage.endedByReady || (outage.seconds < kLongOutageSeconds && !outage.reachedGiveUp)) return false;
    // One alert an outage: a newer one replaces one still waiting for its retry.
    outage_ = outage;
    due_ = true;
    tries_ = 0;
    return true;
}

AlertPlan::Go AlertPlan::go(bool ready, bool newlyReady, std::uint64_t nowMs, const LocalTime& today) {
    if (!due_ || !ready) return Go::No;
    if (tries_ > 0 && !newlyReady && nowMs < retryAtMs_) return Go::No;
    newDay(today);
    if (sentToday_ >= kMostADay) {
        due_ = false;
        if (std::exchange(capSaid_, true)) return Go::No;
        return Go::OverTheDaysCap;
    }
    return Go::Send;
}

bool AlertPlan::tried(bool sent, std::uint64_t nowMs) {
    ++tries_;
    if (sent) {
        ++sentToday_;
        due_ = false;
        return false;
    }
    retryAtMs_ = nowMs + kRetryAfterMs;
    if (tries_ < 2) return false;
    due_ = false;
    return true;
}

}  // namespace tavrio
