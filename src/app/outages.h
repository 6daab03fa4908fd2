// Outages of the bot as the owner sees them, and the alert that tells the owner's phone of one. Pure data: the
// window passes the times and the findings, and sends and writes what these decide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tavrio {

// An exit code as people know it: decimal for small ones, hexadecimal for a crash's status (0xC0000005).
std::string exitCodeText(std::uint32_t code);

struct Outage {
    LocalTime from, to;
    bool fromSomeTimeAfter = false;  // the panel was not running: it began some time after `from`
    std::int64_t seconds = 0;
    int restarts = 0;
    std::optional<std::uint32_t> lastExitCode;
    std::string cause;  // "not answering", "phone unlinked", "Windows restarted", "could not start", or empty
    bool reachedGiveUp = false;
    bool endedByReady = false;  // otherwise by the user's STOP or Exit
};

// "02:13 to 02:20, 3 restarts, exit code 0xC0000005"; a time of another day than `today` carries its weekday.
std::string outageText(const Outage& outage, const LocalTime& today);

class Outages {
public:
    static constexpr std::uint64_t kReadyForMs = 60000;  // ready this long again ends an outage

    // The bot stopped being ready for a cause not the user's. During an outage, only what is known of it grows.
    void begin(const LocalTime& now, const std::string& cause, std::optional<std::uint32_t> exitCode,
               bool someTimeAfter = false);
    enum class Event { Restarted, GaveUp };
    void goesOn(Event event);
    bool running() const { return current_.has_value(); }
    // Each look at the bot: an outage ends once the bot has been ready for a minute; it is returned then.
    std::optional<Outage> seen(bool ready, std::uint64_t nowMs, const LocalTime& now);
    // The user's STOP or Exit ends a running outage.
    std::optional<Outage> userStopped(const LocalTime& now);
    const std::optional<Outage>& last() const { return last_; }

private:
    std::optional<Outage> end(const LocalTime& to, bool byReady);

    std::optional<Outage> current_, last_;
    std::optional<std::uint64_t> readySinceMs_;
};

// When an alert goes to the owner's phone: once an outage of at least two minutes, or one that reached the give-up,
// has ended by the bot being ready again; at most once an outage and six a local day; a failed one is tried once
// more, five minutes later or at the next ready.
class AlertPlan {
public:
    static constexpr std::int64_t kLongOutageSeconds = 120;
    static constexpr int kMostADay = 6;
    static constexpr std::uint64_t kRetryAfterMs = 5 * 60000;

    // The digits of `AlertPhone` when it has 8 to 15 of them; nothing otherwise.
    static std::optional<std::string> phoneOf(const std::string& setting);

    // Alerts already sent on `today`, as the log counts them at start.
    void sentEarlier(int count, const LocalTime& today);
    // An outage ended; true when an alert is due for it (the text is the caller's).
    bool outageEnded(const Outage& outage);
    // Whether the alert that is due goes now: the bot is ready, and it is the first try, or the retry's time or a
    // new ready has come. `newlyReady`: the bot became ready since the last look.
    enum class Go { No, Send, OverTheDaysCap };
    Go go(bool ready, bool newlyReady, std::uint64_t nowMs, const LocalTime& today);
    // How the try went: sent (a 2xx answer, or a time-out: the bot may have sent it), or failed. True when a
    // failed one is given up.
    bool tried(bool sent, std::uint64_t nowMs);
    const Outage& outage() const { return outage_; }

private:
    void newDay(const LocalTime& today);

    Outage outage_;
    bool due_ = false;
    int tries_ = 0;
    std::uint64_t retryAtMs_ = 0;
    int sentToday_ = 0;
    bool capSaid_ = false;
    LocalTime day_;
};

}  // namespace tavrio
