#include "app/bot_life.h"

#include <algorithm>
#include <utility>

namespace tavrio {

void BotLife::stop() {
    ++stops_;
    // The kill below ends the bot as it always did; what the bot started (a program it drives, holding its session
    // files), which `taskkill /im` leaves running, goes with it once the bot has ended (`release`). Ending the bot
    // here as well would race the kill, which Wine can then leave hanging.
    if (bot_) stopping_.push_back(std::move(bot_));
    release();
    // Neither command is waited for, and a failure of either is passed over: with no bot running the kill simply
    // fails in its hidden window. STOP's kill may start a moment after START's own and still be on its way: every
    // one is kept until a launch has seen it end.
    const auto ended = [](const std::shared_ptr<StartedProcess>& kill) { return kill->exitCode().has_value(); };
    pendingKills_.erase(std::remove_if(pendingKills_.begin(), pendingKills_.end(), ended), pendingKills_.end());
    if (auto kill = processes_.startCommandLine("taskkill /f /im bot.exe", WindowMode::Hidden).process)
        pendingKills_.push_back(std::move(kill));
    processes_.startCommandLine(" timeout /t 2", WindowMode::MinimizedWithFocus);
}

void BotLife::release() {
    const auto ended = [](const std::shared_ptr<StartedProcess>& bot) {
        if (!bot->exitCode()) return false;
        bot->endWithEverythingItStarted();
        return true;
    };
    stopping_.erase(std::remove_if(stopping_.begin(), stopping_.end(), ended), stopping_.end());
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

StartResult BotLife::launch(const std::string& botPath) {
    release();
    StartResult result = processes_.startSupervised(botPath, WindowMode::Hidden);
    if (result.started) {
        taskId_ = static_cast<std::int32_t>(result.processId);
        bot_ = result.process;
        keepRunning_.launched(clock_.nowMs());
    }
    return result;
}

std::optional<std::uint32_t> BotLife::endedOnItsOwn() {
    release();
    if (!bot_) return std::nullopt;
    const std::optional<std::uint32_t> code = bot_->exitCode();
    if (code) bot_.reset();
    return code;
}

}  // namespace tavrio
