// The panel's one window: its state, its load, close and exit, START and STOP, the status poller and the
// message sender. Portable: the operating system is reached only through the services in `Services`.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/bot_life.h"
#include "app/outages.h"
#include "app/program_files.h"
#include "log/support_log.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/window_host.h"
#include "tray/sys_tray.h"
#include "tray/tray_presence.h"

namespace tavrio {

struct Services {
    FileSystem& files;
    TextCodec& codec;
    ProcessStarter& processes;
    Clock& clock;
    MessageBoxes& messages;
    HttpClient& http;
    ProfileReader& profile;
    ShellTray& shell;
    WindowHost& window;
    SystemPower& power;
    std::string programFolder;     // without a trailing backslash
    int revisionNumber = 0;        // the last of the four numbers of the program's version
    std::string programAndSystem;  // the whole version and the system it runs on, for the support log
    std::string computerName;      // names the shop in an alert when .env names no company
};

// The user's own close (close button, window menu, Alt+F4); a close asked from outside (the task manager's
// End task, taskkill without /f); Windows shutting down or logging off; Exit in the tray menu.
enum class EndReason { UserClose, OutsideClose, SessionEnd, Exit };

// The tray icon's first tooltip, given back once the bot is no longer ready.
inline constexpr const char* kTrayTooltip = "Tavrio Massage System";

// Mouse-button values as the window's mouse events carry them.
constexpr int kLeftButton = 1, kRightButton = 2;

class Form1 : private TrayEvents {
public:
    explicit Form1(Services services);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // ---- Life of the window
    void load();
    // The program entry's load: the window is loaded, shown and hidden at once, so that the program lives in the
    // tray; a window that something showed during the load (a tick of auto-start's bot, Open) stays in view.
    void loadHidden();
    // The one way the program ends. The user's close only hides the window; any other reason ends the panel as the
    // user and the bot see it at once (its boxes and menu close, the bot is stopped, the tray icon goes, nothing new
    // starts) and has the window end (`WindowHost::end`) once the outermost call under way has returned, so that
    // nothing a running call uses is freed under it. Windows ending the session ends the process at once.
    void end(EndReason reason);

    // ---- Input from the real window
    void click(ControlId id);  // buttons and menu items
    void textEdited(ControlId id, std::string text);
    void mouseMove(int button, std::int32_t xTwips);
    void mouseDown(int button, std::int32_t xTwips) { mouseMove(button, xTwips); }
    // A notification of the tray icon, by its code (the mouse message, e.g. 516 for a right press), which the
    // window tells apart from its own mouse moves.
    void trayNotification(int button, std::uint16_t code);
    void timerTick();
    // The shell's notification area was re-created.
    void taskbarCreated();
    // The tray icon's add is due again: the shell refused it, or took it too late to say so.
    void trayRetryTick();
    // The bot's life asked for the window at this time: a start after a pause or a slow retry is due, or what a
    // stopped bot started is to be ended.
    void botLifeTick();
    // The machine went on or off its battery.
    void powerChanged();

    // ---- State, for the real window and for tests
    const ControlState& control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
    const ControlSet& controls() const { return controls_; }
    const std::string& title() const { return title_; }
    std::uint32_t timerInterval() const { return timerInterval_; }
    std::int32_t botTaskId() const { return bot_.taskId(); }
    std::int32_t tickCount() const { return tickCount_; }
    const clsSysTray* sysTray() const { return tray_.icon(); }
    const BotLife& botLife() const { return bot_; }

private:
    // TrayEvents: the window handles only the right click
    void RightClick() override;

    // Every input from the window runs as one operation; operations nest when a call in which the window's events
    // run (a box, a tray call, a wait, a launch) delivers another. The program's end finishes when the outermost
    // has returned.
    class Operation {
    public:
        explicit Operation(Form1& form) : form_(form) { ++form_.depth_; }
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        Form1& form_;
    };

    // ---- The window's operations
    enum class StartOutcome { Launched, NotLaunched, Interrupted };
    // cmdStart, pressed by `by`. Interrupted when a later action ran while it waited (see `waitUndisturbed`).
    StartOutcome pressStart(Starter by);
    // Command1. What the bot started is ended a few seconds later, unless `endWhatItStarted` is false.
    void pressStop(bool endWhatItStarted = true);
    void StopBot(bool endWhatItStarted = true);
    // False when bot.exe was not started: it could not be (the user, when it was the user's START, has been told
    // why), or an action that ran during the waits before it took over.
    bool LaunchBot(Starter by);
    // False when the tick ends here: a later action ran while one of its message boxes was open, or its restart
    // could not start the bot again.
    bool RefreshBotState();
    void SendTextMessage();
    void LoadEnvFile(const std::string& path);
// windows.h defines NOERROR as a macro; the parameter keeps its name in a file that includes both.
#pragma push_macro("NOERROR")
#undef NOERROR
    // `URL` is nothing when the port box holds no port: the request is refused without being sent.
    std::string WebRequest(const std::optional<std::string>& URL, const std::string& NOERROR = "N");
#pragma pop_macro("NOERROR")
    // The whole file in the ANSI code page; nothing when it cannot be opened or read.
    std::optional<std::string> ReadFileToText(const std::string& FilePath);

    // The user acts while the panel waits with the window's events running: a message box, the tick's event pass,
    // the tray menu, the wait for a kill. True when the bot was not stopped (by START, STOP, Exit, a restart or a
    // close) during `wait` and the program is not ending. Otherwise the waiting operation changes nothing more of
    // the bot's state: it stays exactly as that later action left it.
    bool waitUndisturbed(const std::function<void()>& wait);
    void setStartEnabled(bool enabled);  // cmdStart and mnustart, always together
    void removeSession();                // Command3
    // The window, the tray and the timers once the program ends, after the outermost operation.
    void finishEnd();
    // The system kept awake while the bot's life wants it and the machine runs on mains power.
    void keepAwakeAsWanted();
    // True when the bot this panel started has ended without the panel ending it; the panel is then stopped.
    bool botEndedOnItsOwn();
    // The bot ended, hung or could not be started again (`what` says how): the panel stops it, then does what the
    // bot's life decides (start it again after a pause, or give up and try again slowly); otherwise it only says so.
    void botStopped(const std::string& what, bool onItsOwn);
    // True when the ready bot has not answered `/phone` for a minute though asked again: it has been ended and is
    // started again.
    bool botHangs();
    // `/phone` answered or failed: the bot's life hears of it, and the log of a series of failures.
    void phoneAnswered(const HttpResult& result);
    // A tick that fell due while the ready step's failure box is open: `/phone` asked again without a box, and a
    // bot that ended or hangs seen.
    void askBehindTheBox();
    // The bot's life's timer, set to what it waits for next.
    void armBotLifeTimer();

    // ---- What the owner learns (owner_news.cpp)
    // Before the first line of this run: the gap since the last run, as the log's end tells it, and the alerts
    // that today has had.
    void readTheLastRun();
    // The bot stopped being ready for a cause not the user's.
    void outageBegins(const std::string& cause, std::optional<std::uint32_t> exitCode = std::nullopt);
    // A restart by the panel, or its give-up, during an outage.
    void outageGoesOn(Outages::Event event);
    // The user's STOP or Exit.
    void userStopped();
    // Each tick's look: an outage ends after a minute of ready, an alert due goes, a ready bot's hourly line.
    void ownerTick();
    void sendAlert();
    // The tray menu's grey lines, made as the menu opens.
    void refreshMenuLines();
    void openSupportLog();
    // START counts the ticks from 0, STOP from 1.
    void restartTickCount(std::int32_t first);
    void refreshPhoneLineWithTick();
    void refreshMessageCounter();
    std::string path(const char* nameWithBackslash) const;
    // The address of a page of the bot, from the port box; nothing when the box holds no port.
    std::optional<std::string> botUrl(const std::string& page) const;
    // The one way a request reaches the bot: an address that is nothing fails as an invalid URL, unsent.
    HttpResult sendToBot(const std::optional<std::string>& url, HttpRequest request);
    bool markerExists(const char* name) const;
    void deleteIfExists(const char* name);

    // ---- The support log
    // One event, in the panel's own words, which never name the key, the message or a whole phone number.
    void note(const std::string& event);
    // The boxes the panel shows: the log holds what the user was shown; a text from outside (the bot's answer)
    // with the key, the message and its phone numbers masked. The ready step's failure box has its own (`WebRequest`),
    // not logged at every tick.
    void showBox(const std::string& text, MessageIcon icon, bool fromOutside = false);
    // Every box, counted so that the one a hang ends can be named (`MessageBoxes::closeBox`).
    void openBox(const std::string& text, MessageIcon icon);
    // The bot's road, told to its life; the log tells only its changes, never a tick.
    void roadReached(Road road);

    // One field of a control's state; the real window hears of it only when it changes.
    template <typename T>
    void change(ControlId id, T ControlState::*field, T value) {
        if (control(id).*field == value) return;
        mutableControl(id).*field = std::move(value);
        s_.window.applyControl(id, control(id));
    }
    void setText(ControlId id, std::string text) { change(id, &ControlState::text, std::move(text)); }
    void setVisible(ControlId id, bool visible) { change(id, &ControlState::visible, visible); }
    void setEnabled(ControlId id, bool enabled) { change(id, &ControlState::enabled, enabled); }
    void setColor(ControlId id, std::int32_t color) { change(id, &ControlState::textColor, color); }
    void setPosition(ControlId id, std::int32_t left, std::int32_t top);
    void setTimer(std::uint32_t milliseconds);
    void setTitle(std::string title);
    void showWindow();
    void setWindowVisible(bool visible);
    ControlState& mutableControl(ControlId id) { return controls_[static_cast<std::size_t>(id)]; }

    Services s_;
    SupportLog log_;
    ControlSet controls_;
    std::string title_;
    std::uint32_t timerInterval_ = 0;
    BotLife bot_;
    TrayPresence tray_;

    std::string companyName_, serverPort_, apiKey_;
    std::int32_t tickCount_ = 0;  // status_poller.cpp
    bool tickRunning_ = false;    // a tick that falls due while one is suspended is skipped
    bool windowVisible_ = false;  // as the core last set it

    // The program's end (main_window.cpp): operations under way, and how the window ends once they have returned.
    int depth_ = 0;
    bool ending_ = false;  // Exit or a close that proceeds: the window takes no more input
    std::optional<WindowEnd> windowEnd_;
    bool keptAwake_ = false;

    std::size_t boxesOpen_ = 0;      // support_notes.cpp
    std::size_t phoneBoxDepth_ = 0;  // which open box is the ready step's failure box, 0: none (web_request.cpp)
    int phoneFailures_ = 0;          // in a row, for the log (web_request.cpp)
    std::string linkedPhone_;        // as the last `/phone` answer named it, for the log (status_poller.cpp)
    std::string launchError_;        // why the last launch failed (bot_launch.cpp)

    // owner_news.cpp
    Outages outages_;
    AlertPlan alerts_;
    std::optional<std::string> alertPhone_;  // the owner's, digits only
    bool wasReady_ = false;                  // at the last look, for the alert's retry at the next ready
    std::uint64_t lastReadyLineMs_ = 0;
    std::optional<std::uint64_t> readySinceMs_;
};

}  // namespace tavrio
