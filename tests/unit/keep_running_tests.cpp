#include <gtest/gtest.h>

#include <algorithm>

#include "app/keep_running.h"

namespace tavrio {
namespace {

constexpr std::uint64_t kMinute = 60000;

TEST(KeepRunning, PausesDoubleUntilAHealthyRunOrALoopOrTheUser) {
    KeepRunning policy;
    std::uint64_t now = 0;
    // The bot runs `runMs`, ends on its own, and is started again after the pause it is given.
    auto runAndEnd = [&](std::uint64_t runMs) {
        policy.launched(now);
        now += runMs;
        const KeepRunning::Verdict verdict = policy.endedOnItsOwn(now);
        now += verdict.pauseMs;
        return verdict;
    };

    // Runs of 3 minutes: too short to end the series, too far apart to be a loop.
    for (int end = 1; end <= 9; ++end) {
        const KeepRunning::Verdict verdict = runAndEnd(3 * kMinute);
        EXPECT_FALSE(verdict.giveUp) << end;
        EXPECT_EQ(verdict.endsInSeries, end);
        EXPECT_EQ(verdict.firstOfSeries(), end == 1);
        EXPECT_EQ(verdict.pauseMs, std::min<std::uint32_t>(1000u << std::min(end - 1, 16), 60000)) << end;
    }

    // Five minutes of running end the series: the next end is the first of a new one.
    KeepRunning::Verdict verdict = runAndEnd(5 * kMinute);
    EXPECT_TRUE(verdict.firstOfSeries());
    EXPECT_EQ(verdict.pauseMs, 1000u);

    // A bot that cannot start: its fifth end within ten minutes gives up, and so does every end after it.
    for (int end = 2; end <= 4; ++end) EXPECT_FALSE(runAndEnd(500).giveUp) << end;
    verdict = runAndEnd(500);
    EXPECT_TRUE(verdict.giveUp);
    EXPECT_EQ(verdict.pauseMs, 0u);
    EXPECT_TRUE(runAndEnd(10 * kMinute).giveUp);

    // The user's START begins afresh.
    policy.reset();
    verdict = runAndEnd(500);
    EXPECT_FALSE(verdict.giveUp);
    EXPECT_TRUE(verdict.firstOfSeries());
    EXPECT_EQ(verdict.pauseMs, 1000u);

    // The session's end is no end on its own; any other code is.
    EXPECT_FALSE(isEndOnItsOwn(0x40010004));
    EXPECT_TRUE(isEndOnItsOwn(0));
    EXPECT_TRUE(isEndOnItsOwn(0xC0000005));
}

}  // namespace
}  // namespace tavrio
