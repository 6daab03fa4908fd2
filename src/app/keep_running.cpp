#include "app/keep_running.h"

#include <algorithm>

namespace tavrio {

bool isEndOnItsOwn(std::uint32_t exitCode) { return exitCode != kSessionEndExitCode; }

void KeepRunning::launched(std::uint64_t nowMs) {
    launchedAt_ = nowMs;
    everLaunched_ = true;
}

bool KeepRunning::ranHealthy(std::uint64_t nowMs) const {
    // A clock that went backwards counts as a short run, never as a healthy one.
    return everLaunched_ && nowMs >= launchedAt_ && nowMs - launchedAt_ >= kHealthyRunMs;
}

KeepRunning::Verdict KeepRunning::endedOnItsOwn(std::uint64_t nowMs) {
    // Ends before a healthy run say nothing about a loop.
    if (ranHealthy(nowMs)) reset();
    ++endsInSeries_;

    if (recentEnds_ == ends_.size()) {
        std::rotate(ends_.begin(), ends_.begin() + 1, ends_.end());
        --recentEnds_;
    }
    ends_[recentEnds_++] = nowMs;
    Verdict verdict;
    if (!givenUp_ && recentEnds_ == ends_.size() && nowMs - std::min(nowMs, ends_.front()) <= kGiveUpWindowMs)
        givenUp_ = verdict.justGaveUp = true;
    verdict.giveUp = givenUp_;
    verdict.endsInSeries = endsInSeries_;
    std::uint32_t pause = kFirstPauseMs;
    for (int i = 1; i < endsInSeries_ && pause < kLongestPauseMs; ++i) pause *= 2;
    verdict.pauseMs = givenUp_ ? kSlowRetryMs : std::min(pause, kLongestPauseMs);
    return verdict;
}

void KeepRunning::reset() {
    KeepRunning fresh;
    fresh.launchedAt_ = launchedAt_;
    fresh.everLaunched_ = everLaunched_;
    *this = fresh;
}

}  // namespace tavrio
