// The bot's life as the panel sees it: the bot it launched, the kill commands still on their way, and the count of
// every stop, which the window's waits compare (an operation during whose wait the bot was stopped changes nothing
// more).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/keep_running.h"
#include "platform/platform.h"

namespace tavrio {

class BotLife {
public:
    BotLife(ProcessStarter& processes, Clock& clock) : processes_(processes), clock_(clock) {}

    // Every START, STOP, Exit, restart and close begins here: the bot and whatever it started are ended, every
    // bot.exe is killed, not waited for, and from now on its end is the panel's own doing.
    void stop();
    std::uint32_t stops() const { return stops_; }

    // Waits for the kills still on their way, so that none can end the bot launched next: 4 s for all of them at
    // the most. False when the bot was stopped again meanwhile (a close sent from outside arrives during the
    // wait); the kills then stay pending for whichever launch comes next.
    bool waitForPendingKills();

    // Starts exactly this program file, tied to the panel so that it never outlives it; once started, it is the
    // bot whose end is watched.
    StartResult launch(const std::string& botPath);
    std::int32_t taskId() const { return taskId_; }
    std::uint64_t launchedAtMs() const { return keepRunning_.launchedAtMs(); }

    // The exit code of the watched bot once it has ended without the panel ending it; then it is watched no more.
    std::optional<std::uint32_t> endedOnItsOwn();

    // When a bot that ended on its own is started again; every launch is told to it.
    KeepRunning& keepRunning() { return keepRunning_; }

private:
    void release();

    ProcessStarter& processes_;
    Clock& clock_;
    std::uint32_t stops_ = 0;
    std::int32_t taskId_ = 0;  // the process id of the bot last launched
    std::shared_ptr<StartedProcess> bot_;
    std::vector<std::shared_ptr<StartedProcess>> pendingKills_;
    // Bots that a stop is ending, until they have: then whatever they started is ended too.
    std::vector<std::shared_ptr<StartedProcess>> stopping_;
    KeepRunning keepRunning_;
};

}  // namespace tavrio
