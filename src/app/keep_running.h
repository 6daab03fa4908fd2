// When a bot that ended on its own is started again, and when the panel stops trying. Pure data: the caller
// passes the time (the clock's milliseconds) and does the waiting and the starting itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrio {

// The exit code of a program that Windows ended because the user's session ended.
constexpr std::uint32_t kSessionEndExitCode = 0x40010004;

// Whether a bot that exited with `exitCode` (and was neither stopped nor replaced by the panel) ended on its own.
bool isEndOnItsOwn(std::uint32_t exitCode);

class KeepRunning {
public:
    static constexpr std::uint32_t kFirstPauseMs = 1000;          // doubling from here...
    static constexpr std::uint32_t kLongestPauseMs = 60000;       // ...up to this
    static constexpr std::uint64_t kHealthyRunMs = 5 * 60000;     // a run this long ends the series
    static constexpr int kEndsToGiveUp = 5;                       // this many ends...
    static constexpr std::uint64_t kGiveUpWindowMs = 10 * 60000;  // ...within this long
    static constexpr std::uint32_t kSlowRetryMs = 15 * 60000;     // then one try this often, until a healthy run

    struct Verdict {
        bool giveUp = false;        // given up: tried again only every kSlowRetryMs
        bool justGaveUp = false;    // by this end
        std::uint32_t pauseMs = 0;  // before starting it again
        int endsInSeries = 0;       // this end included
        bool firstOfSeries() const { return endsInSeries == 1; }
    };

    // The bot was started, by the user or again by the panel, or a start was tried and failed (a run of no length).
    void launched(std::uint64_t nowMs);
    std::uint64_t launchedAtMs() const { return launchedAt_; }
    // The bot ended on its own at `nowMs`. A series ends with a run of kHealthyRunMs or with reset(); the policy
    // gives up once kEndsToGiveUp ends of one series fall within kGiveUpWindowMs, until then.
    Verdict endedOnItsOwn(std::uint64_t nowMs);
    // The bot has run kHealthyRunMs since its last start at `nowMs`.
    bool ranHealthy(std::uint64_t nowMs) const;
    bool givenUp() const { return givenUp_; }
    // A new series (the user's START, a healthy run): the ends seen before count no more; the last launch stays.
    void reset();

private:
    std::uint64_t launchedAt_ = 0;
    bool everLaunched_ = false;
    int endsInSeries_ = 0;
    // The times of the series' latest ends, oldest first; `recentEnds_` of them are valid.
    std::array<std::uint64_t, kEndsToGiveUp> ends_{};
    std::size_t recentEnds_ = 0;
    bool givenUp_ = false;
};

}  // namespace tavrio
