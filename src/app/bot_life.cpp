#include "app/bot_life.h"

#include <algorithm>
#include <utility>

namespace tavrio {

void BotLife::configure(bool keepRunning, bool keepAwake) {
    keepRunning_ = keepRunning;
    keepAwake_ = keepAwake;
}

void BotLife::stop(bool endWhatItStarted) {
    ++stops_;
    startDueAt_.reset();
    road_ = Road::Unknown;
    answeredOnPort_.reset();
    failingSince_.reset();
    // The kill below ends the bot as it always did; what the bot started (a program it drives, holding its session
    // files), which `taskkill /im` leaves running, goes a few seconds later, once the bot is gone: ending it at the
    // same moment as the kill can leave the kill hanging under Wine.
    if (bot_) stopped_.push_back(std::move(bot_));
    if (endWhatItStarted && !stopped_.empty()) endTreesAt_ = clock_.nowMs() + kEndWhatItStartedAfterMs;
    // Neither command is waited for, and a failure of either is passed over: with no bot running the kill simply
    // fails in its hidden window. STOP's kill may start a moment after START's own and still be on its way: every
    // one is kept until a launch has seen it end.
    const auto ended = [](const std::shared_ptr<StartedProcess>& kill) { return kill->exitCode().has_value(); };
    pendingKills_.erase(std::remove_if(pendingKills_.begin(), pendingKills_.end(), ended), pendingKills_.end());
    if (auto kill = processes_.startCommandLine("taskkill /f /im bot.exe", WindowMode::Hidden).process)
        pendingKills_.push_back(std::move(kill));
    processes_.startCommandLine(" timeout /t 2", WindowMode::MinimizedWithFocus);
}

bool BotLife::waitForPendingKills() {
    // The one-second wait before the launch is the kills' first second; on a busy machine they get four more
    // between them, during which the window is repainted but takes no input. A kill that outlasts them is left
    // running. Messages sent from outside still arrive in the wait and may stop the bot again, adding a kill of
    // their own: the wait goes over the kills it took.
    constexpr std::uint64_t kLongestFurtherWaitMs = 4000;
    const std::uint64_t deadline = clock_.nowMs() + kLongestFurtherWaitMs;
    const std::uint32_t stopsBefore = stops_;
    std::vector<std::shared_ptr<StartedProcess>> kills = std::exchange(pendingKills_, {});
    for (const auto& kill : kills) {
        const std::uint64_t now = clock_.nowMs();
        if (now >= deadline) return true;
        if (kill->exitCode()) continue;
        kill->waitForEnd(static_cast<std::uint32_t>(deadline - now));
        if (stops_ != stopsBefore) {
            pendingKills_.insert(pendingKills_.end(), kills.begin(), kills.end());
            return false;
        }
    }
    return true;
}

StartResult BotLife::launch(const std::string& botPath, Starter by) {
    StartResult result = processes_.startSupervised(botPath, WindowMode::Hidden);
    startedBy_ = by;
    policy_.launched(clock_.nowMs());
    if (result.started) {
        taskId_ = static_cast<std::int32_t>(result.processId);
        bot_ = result.process;
    }
    return result;
}

std::uint64_t BotLife::ranMs() const {
    const std::uint64_t now = clock_.nowMs();
    const std::uint64_t launchedAt = policy_.launchedAtMs();
    return now >= launchedAt ? now - launchedAt : 0;
}

std::optional<std::uint32_t> BotLife::endedOnItsOwn() {
    if (!bot_) return std::nullopt;
    const std::optional<std::uint32_t> code = bot_->exitCode();
    // Kept, not dropped: dropping it would end at once whatever it started.
    if (code) stopped_.push_back(std::move(bot_));
    return code;
}

bool BotLife::roadSeen(Road road) {
    if (road == road_) return false;
    road_ = road;
    failingSince_.reset();
    return true;
}

void BotLife::phoneAsked(bool answered, const std::string& port, const std::string& failure) {
    if (answered) {
        answeredOnPort_ = port;
        failingSince_.reset();
        return;
    }
    if (road_ != Road::Ready || answeredOnPort_ != port) {
        failingSince_.reset();
        return;
    }
    lastFailure_ = failure;
    askedAgain_ = failingSince_.has_value();
    if (!failingSince_) failingSince_ = clock_.nowMs();
}

bool BotLife::hangs() const {
    if (!keepRunning_ || road_ != Road::Ready || !failingSince_ || !askedAgain_) return false;
    const std::uint64_t now = clock_.nowMs();
    return now >= *failingSince_ && now - *failingSince_ >= kHangMs;
}

BotLife::Decision BotLife::botDown(bool onItsOwn) {
    Decision decision;
    if (!keepRunning_ || !onItsOwn) return decision;
    const KeepRunning::Verdict verdict = policy_.endedOnItsOwn(clock_.nowMs());
    decision.next = verdict.giveUp ? Decision::Next::SlowRetry : Decision::Next::StartAfterPause;
    decision.pauseMs = verdict.pauseMs;
    decision.endsInSeries = verdict.endsInSeries;
    decision.justGaveUp = verdict.justGaveUp;
    startDueAt_ = clock_.nowMs() + verdict.pauseMs;
    return decision;
}

bool BotLife::recoveredFromGiveUp() {
    if (!policy_.givenUp() || !bot_ || startedBy_ != Starter::Panel || !policy_.ranHealthy(clock_.nowMs()))
        return false;
    policy_.reset();
    return true;
}

std::uint32_t BotLife::nextDueMs() {
    std::optional<std::uint64_t> at = startDueAt_;
    if (endTreesAt_ && (!at || *endTreesAt_ < *at)) at = endTreesAt_;
    if (!at) return 0;
    const std::uint64_t now = clock_.nowMs();
    return *at <= now ? 1 : static_cast<std::uint32_t>(std::min<std::uint64_t>(*at - now, 0xFFFFFFF0u));
}

bool BotLife::due() {
    const std::uint64_t now = clock_.nowMs();
    if (endTreesAt_ && *endTreesAt_ <= now) endWhatStoppedBotsStarted();
    if (!startDueAt_ || *startDueAt_ > now) return false;
    startDueAt_.reset();
    return true;
}

void BotLife::endWhatStoppedBotsStarted() {
    endTreesAt_.reset();
    for (const auto& bot : std::exchange(stopped_, {})) bot->endWithEverythingItStarted();
}

bool BotLife::wantsSystemAwake() const { return keepRunning_ && keepAwake_ && (bot_ || startDueAt_); }

}  // namespace tavrio
