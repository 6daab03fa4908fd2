// The bot's whole life, as the panel sees and decides it: the bot it launched and how that went, the kills still
// on their way, the count of every stop (which the window's waits compare), the road the poller saw, the hang
// watch, what an end on its own leads to (a start after a pause, the give-up and its slow retries), the end of
// whatever a stopped bot started, and whether the system should stay awake for it. The window tells it what
// happened and does what it decides; it owns no timing of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/keep_running.h"
#include "platform/platform.h"

namespace tavrio {

// Where the bot stands, as the last finished look at its marker files found it.
enum class Road { Unknown, Qr, Waiting, Ready };

// Who pressed START: the user (a button, the menu, auto-start), the panel keeping the bot up, or the bot itself
// asking for a restart.
enum class Starter { User, Panel, Bot };

class BotLife {
public:
    // A ready bot that has answered `/phone` and then, asked again and again, answers nothing for this long hangs.
    static constexpr std::uint64_t kHangMs = 60000;
    // After a stop, the time a program the bot drives has to close its files on its own before it is ended.
    static constexpr std::uint32_t kEndWhatItStartedAfterMs = 3000;

    BotLife(ProcessStarter& processes, Clock& clock) : processes_(processes), clock_(clock) {}

    // conf.ini's switches, read at the load.
    void configure(bool keepRunning, bool keepAwake);
    bool keepsRunning() const { return keepRunning_; }

    // ---- Stopping and starting
    // Every START, STOP, Exit, restart and close begins here: every bot.exe is killed, not waited for, from now on
    // its end is the panel's own doing, and a start that was due is cancelled. What the bot started is ended a
    // little later (`due`), unless `endWhatItStarted` is false (a bot that ended on its own while the panel does not
    // keep it running leaves it until the next stop).
    void stop(bool endWhatItStarted = true);
    std::uint32_t stops() const { return stops_; }

    // Waits for the kills still on their way, so that none can end the bot launched next: 4 s for all of them at
    // the most. False when the bot was stopped again meanwhile (a close sent from outside arrives during the
    // wait); the kills then stay pending for whichever launch comes next.
    bool waitForPendingKills();

    // Starts exactly this program file, tied to the panel so that it never outlives it; once started, it is the
    // bot whose end is watched. A launch that fails is an attempt all the same: a run of no length.
    StartResult launch(const std::string& botPath, Starter by);
    std::int32_t taskId() const { return taskId_; }
    Starter startedBy() const { return startedBy_; }
    std::uint64_t ranMs() const;  // since the last launch or attempt

    // ---- What the window's ticks find
    // The exit code of the watched bot once it has ended without the panel ending it; then it is watched no more.
    std::optional<std::uint32_t> endedOnItsOwn();
    // True when the road changed; any change ends the hang count.
    bool roadSeen(Road road);
    Road road() const { return road_; }
    // `/phone` was asked on `port` (the port box's text). Only a ready bot that has answered on this very port is
    // watched: a changed port is the user's doing.
    void phoneAsked(bool answered, const std::string& port, const std::string& failure);
    // A ready bot that has answered, and then has answered nothing for a minute though asked again: it is to be
    // ended and started again. Never with keep-running off.
    bool hangs() const;
    const std::string& lastPhoneFailure() const { return lastFailure_; }

    // ---- After an end
    struct Decision {
        enum class Next { StayStopped, StartAfterPause, SlowRetry } next = Next::StayStopped;
        std::uint32_t pauseMs = 0;
        int endsInSeries = 0;
        bool justGaveUp = false;  // the series has just ended in the give-up: say so, once
        bool firstOfSeries() const { return endsInSeries == 1; }
    };
    // The bot is down (the window has stopped it already): it ended, hung or could not be started. `onItsOwn` is
    // false for an end that Windows' session end caused.
    Decision botDown(bool onItsOwn);
    // A slow retry that has run long enough ends the give-up; true once, at the tick that sees it.
    bool recoveredFromGiveUp();
    bool givenUp() const { return policy_.givenUp(); }
    // The user's START: a new series, nothing given up.
    void userStarted() { policy_.reset(); }

    // ---- Its timer
    // Milliseconds until `due` should run (at least 1), 0 when nothing is waiting.
    std::uint32_t nextDueMs();
    // The timer fell due: whatever stopped bots started is ended when its time has come; true when the start that
    // was due is now to be made (it is no longer due).
    bool due();
    // The clock time of the start that is due; nothing when none is.
    std::optional<std::uint64_t> startDueAtMs() const { return startDueAt_; }
    void cancelStart() { startDueAt_.reset(); }

    // Whether the system should be kept awake for the bot: keep-running holds one (running, in a pause or in the
    // slow retry) and KeepAwake is on.
    bool wantsSystemAwake() const;

private:
    void endWhatStoppedBotsStarted();

    ProcessStarter& processes_;
    Clock& clock_;
    bool keepRunning_ = true, keepAwake_ = true;
    std::uint32_t stops_ = 0;
    std::int32_t taskId_ = 0;  // the process id of the bot last launched
    Starter startedBy_ = Starter::User;
    std::shared_ptr<StartedProcess> bot_;
    std::vector<std::shared_ptr<StartedProcess>> pendingKills_;
    // Bots that were stopped or ended, whose programs end once `endTreesAt_` has come (or at the next stop).
    std::vector<std::shared_ptr<StartedProcess>> stopped_;
    std::optional<std::uint64_t> endTreesAt_;
    std::optional<std::uint64_t> startDueAt_;

    Road road_ = Road::Unknown;
    std::optional<std::string> answeredOnPort_;  // since the bot was launched
    std::optional<std::uint64_t> failingSince_;
    bool askedAgain_ = false;  // after the first failure of the count
    std::string lastFailure_;

    KeepRunning policy_;
};

}  // namespace tavrio
