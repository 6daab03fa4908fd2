// The panel's one window: its state, its load, close and exit, START and STOP, the status poller and the
// message sender. Portable: the operating system is reached only through the services in `Services`.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/program_files.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/window_host.h"
#include "tray/sys_tray.h"

namespace tavrio {

struct Services {
    FileSystem& files;
    TextCodec& codec;
    ProcessStarter& processes;
    Clock& clock;
    MessageBoxes& messages;
    HttpClient& http;
    IconFactory& icons;
    ProfileReader& profile;
    ShellTray& shell;
    WindowHost& window;
    std::string programFolder;  // without a trailing backslash
    int revisionNumber = 0;     // the last of the four numbers of the program's version
};

// The user's own close (close button, window menu, Alt+F4); a close asked from outside (the task manager's
// End task, taskkill without /f); Windows shutting down or logging off.
enum class CloseReason { User, Outside, System };
enum class CloseOutcome { Hidden, Proceed };

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
    // The user's close only hides the window; any other close proceeds: the window then unloads and ends.
    CloseOutcome closeRequest(CloseReason reason);
    void unload();
    // Ends the tray icon's life (the window releases its tray object).
    void releaseTray();

    // ---- Input from the real window
    void click(ControlId id);  // buttons and menu items
    void textEdited(ControlId id, std::string text);
    void mouseMove(int button, std::int32_t xTwips);
    void mouseDown(int button, std::int32_t xTwips) { mouseMove(button, xTwips); }
    void timerTick();
    // The shell's notification area was re-created.
    void taskbarCreated();

    // ---- State, for the real window and for tests
    const ControlState& control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
    const std::string& title() const { return title_; }
    std::uint32_t timerInterval() const { return timerInterval_; }
    std::int32_t botTaskId() const { return botTaskId_; }
    std::int32_t tickCount() const { return tickCount_; }
    const std::string& companyName() const { return companyName_; }
    const std::string& serverPort() const { return serverPort_; }
    const std::string& apiKey() const { return apiKey_; }
    clsSysTray* sysTray() { return SysTray.get(); }

    // ---- The window's operations, public so the program entry and tests can reach them
    void pressStart();  // cmdStart
    void pressStop();   // Command1
    void StopBot();
    // False when bot.exe could not be started (the user has been told why).
    bool LaunchBot();
    void RefreshBotState();
    void SendTextMessage();
    void LoadEnvFile(const std::string& path);
    std::string WebRequest(const std::string& URL, const std::string& NOERROR = "N");
    // The whole file in the ANSI code page; nothing when it cannot be opened or read.
    std::optional<std::string> ReadFileToText(const std::string& FilePath);

private:
    // TrayEvents: the window handles only the right click
    void RightClick() override;

    void removeSession();  // Command3
    // True when the bot this panel started has ended without the panel ending it; the panel is then stopped.
    bool botEndedOnItsOwn();
    void waitForPendingKill();
    void refreshPhoneLineWithTick();
    void refreshMessageCounter();
    std::string path(const char* nameWithBackslash) const;
    std::string botUrl(const std::string& page) const;
    bool markerExists(const char* name) const;
    void deleteIfExists(const char* name);

    void setText(ControlId id, std::string text);
    void setVisible(ControlId id, bool visible);
    void setEnabled(ControlId id, bool enabled);
    void setColor(ControlId id, std::int32_t color);
    void setPosition(ControlId id, std::int32_t left, std::int32_t top);
    void setTimer(std::uint32_t milliseconds);
    void setTitle(std::string title);
    void showWindow();
    ControlState& mutableControl(ControlId id) { return controls_[static_cast<std::size_t>(id)]; }
    void publish(ControlId id);

    Services s_;
    ControlSet controls_;
    std::string title_;
    std::uint32_t timerInterval_ = 0;
    std::unique_ptr<clsSysTray> SysTray;  // alive from the load until the window releases it

    std::string companyName_, serverPort_, apiKey_;
    std::int32_t botTaskId_ = 0;
    std::int32_t tickCount_ = 0;
    bool tickRunning_ = false;  // a tick that falls due while one is suspended is skipped
    // The bot this panel launched, while nothing but the bot itself can end it.
    std::shared_ptr<StartedProcess> botProcess_;
    // The kill command of the last StopBot, until a launch has seen it end.
    std::shared_ptr<StartedProcess> pendingKill_;
};

}  // namespace tavrio
