// One fake of every platform service, recording what the core asks for in a single ordered log.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/platform.h"
#include "platform/window_host.h"

namespace tavrio::testing {

class FakePlatform;

// A started program whose end the test decides.
class FakeProcess : public StartedProcess {
public:
    FakeProcess(std::string name, FakePlatform& platform) : name(std::move(name)), platform_(platform) {}
    std::string name;
    std::optional<std::uint32_t> ended;  // the exit code once it has ended
    bool endsDuringWait = true;
    std::optional<std::uint32_t> exitCode() override { return ended; }
    bool waitForEnd(std::uint32_t ms) override;
    bool endWithEverythingItStarted() override;  // logs "end-tree <name>"; ends it with code 1

private:
    FakePlatform& platform_;
};

class FakePlatform : public FileSystem,
                     public TextCodec,
                     public ProcessStarter,
                     public Clock,
                     public MessageBoxes,
                     public HttpClient,
                     public ProfileReader,
                     public ShellTray,
                     public SystemPower,
                     public WindowHost {
public:
    static constexpr const char* kFolder = "C:\\panel";
    static std::string at(const std::string& name) { return std::string(kFolder) + name; }

    Services services(int revision = 32);

    // Everything asked, in order: "sleep 1000", "delete C:\panel\qr.txt", "command taskkill /f /im bot.exe hidden"...
    std::vector<std::string> log;
    // The lines that start with any of the prefixes, in order.
    std::vector<std::string> logMatching(std::initializer_list<std::string> prefixes) const;
    std::vector<std::string> logMatching(const std::string& prefix) const { return logMatching({prefix}); }
    void clearLog() { log.clear(); }

    // Every call in which the real system may run messages sent to the window (a shell tray call, a box, the
    // event pump, the popup menu, the window's visibility, a wait for a process) is a point, counted here;
    // `onPoint` hears each with its number, from 1.
    int points = 0;
    std::function<void(int)> onPoint;
    void point();

    // ---- Files, by full path
    std::map<std::string, std::string> files;
    std::set<std::string> hidden, locked, undeletable;
    std::function<void(const std::string&)> onLook;  // before each look at whether a file is there
    std::set<std::string> unwritable;                // appends to these fail, and so do renames from or to them
    std::set<std::string> readOnly;  // appends to these fail, and renames onto them; a rename takes the mark along
    void put(const std::string& name, const std::string& content = "") { files[at(name)] = content; }
    bool has(const std::string& name) const { return files.count(at(name)) != 0; }
    std::uint64_t bytesRead = 0;
    int sizesAsked = 0;

    bool isPlainFile(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    std::optional<std::string> readBytes(const std::string& path, std::uint64_t offset, std::uint64_t length) override;
    bool appendBytes(const std::string& path, std::string_view bytes) override;
    bool renameReplacing(const std::string& from, const std::string& to) override;

    // ---- Text: ANSI is taken as UTF-8; upper case is ASCII only
    std::string ansiToUtf8(const std::string& bytes) override { return bytes; }
    std::string utf8ToAnsi(const std::string& text) override;
    std::string toUpper(const std::string& text) override;

    // ---- Processes. Programs run until the test ends them; commands have ended unless `commandsLinger`.
    StartResult nextProgramStart{true, 4242, "", nullptr};
    bool commandsLinger = false;
    std::vector<std::shared_ptr<FakeProcess>> started;  // every program and command, in order
    std::function<void()> onWaitForEnd;  // messages sent from outside, arriving while the panel waits for a process
    StartResult startSupervised(const std::string& applicationPath, WindowMode mode) override;
    StartResult startCommandLine(const std::string& commandLine, WindowMode mode) override;
    StartResult startNotepad(const std::string& filePath) override {
        log.push_back("notepad " + filePath);
        return {true, 7, "", nullptr};
    }

    // ---- Waits: run `onSleep` (a bot writing files meanwhile, say) instead of sleeping
    std::function<void(std::uint32_t)> onSleep;
    void sleepMs(std::uint32_t ms) override;
    std::uint64_t now = 0;  // advanced by the sleeps and by `FakeProcess::waitForEnd`
    std::uint64_t nowMs() override { return now; }
    LocalTime localNow;
    LocalTime localTime() override { return localNow; }

    // ---- Message boxes
    std::vector<std::pair<std::string, MessageIcon>> shown;
    std::function<void(const std::string&)> onShow;  // what the user does while the box is open
    void show(const std::string& text, MessageIcon icon) override;
    void closeBox(std::size_t depth) override { log.push_back("close-box " + std::to_string(depth)); }
    void closeAll() override { log.push_back("close-boxes"); }

    // ---- HTTP: scripted answers, the default when the script is empty
    std::vector<HttpRequest> requests;
    std::deque<HttpResult> answers;
    HttpResult defaultAnswer{true, 200, "", 0, ""};
    std::map<std::string, HttpResult> pageAnswers;  // by the address's end ("/send-text"), before all else
    HttpResult send(const HttpRequest& request) override;
    static HttpResult answer(const std::string& body, int status = 200) { return {true, status, body, 0, ""}; }
    static HttpResult refused() {
        return {false, 0, "", -2147012867, "A connection with the server could not be established"};
    }

    // ---- Profile files: key "file|section|key"
    std::map<std::string, std::string> profile;
    std::string readString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& defaultValue, std::uint32_t bufferSize) override;

    // ---- Shell: it refuses the next `refusedAdds` adds, and has no icon to modify until one is taken
    std::vector<std::pair<TrayMessage, TrayRecordBytes>> trayCalls;
    int refusedAdds = 0;
    bool iconShown = false;
    bool notifyIcon(TrayMessage message, const TrayRecordBytes& record) override;

    // ---- Power
    bool mainsPower = true;
    bool awake = false;
    bool registeredForRestart = false;
    bool onMainsPower() override { return mainsPower; }
    void keepSystemAwake(bool a) override { awake = a; }
    void registerForRestart() override { registeredForRestart = true; }

    // ---- Window
    bool visible = false;
    std::string title;
    std::uint32_t timer = 0;
    std::uint32_t trayRetryTimer = 0;
    int pictureCount = 3;
    std::function<void()> onPump;   // events that arrive during a tick's event pass
    std::function<void()> onPopup;  // the user's choice in the popup menu
    void applyControl(ControlId id, const ControlState& state) override;
    void setTitle(const std::string& t) override { title = t; }
    void setWindowVisible(bool v) override;
    void setTimerInterval(std::uint32_t ms) override;
    void setTrayRetryTimer(std::uint32_t ms) override { trayRetryTimer = ms; }
    std::uint32_t botLifeTimer = 0;
    std::uint64_t botLifeTimerSetAt = 0;
    void setBotLifeTimer(std::uint32_t ms) override {
        botLifeTimer = ms;
        botLifeTimerSetAt = now;
    }
    void pumpPendingEvents() override;
    void showPopupMenu() override;
    void closePopupMenu() override { log.push_back("close-menu"); }
    std::uint32_t windowHandle() override { return 0x10A2; }
    std::optional<std::uint32_t> pictureIcon(int index) override;
    void end(WindowEnd how) override { log.push_back(how == WindowEnd::Destroy ? "end-window" : "end-program"); }
};

// The icon handle the fake window holds for picture `index`.
constexpr std::uint32_t pictureHandle(int index) { return 0x7000 + static_cast<std::uint32_t>(index); }

std::uint32_t read32(const TrayRecordBytes& record, std::size_t offset);
std::string readField(const TrayRecordBytes& record, std::size_t offset, std::size_t width);

}  // namespace tavrio::testing
