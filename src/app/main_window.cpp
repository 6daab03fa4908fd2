// The window's life: load, its end, open, and the routing of clicks and mouse positions.
#include "app/main_window.h"

#include "app/bot_http.h"
#include "app/file_text.h"
#include "app/window_layout.h"
#include "settings/env_file.h"
#include "settings/ini_value.h"
#include "text/utf8.h"

#include <utility>

namespace tavrio {
namespace {
constexpr std::int32_t kHiddenPictureTop = 8500;  // below the client area: the pictures only feed the tray icon
}  // namespace

Form1::Form1(Services services)
    : s_(std::move(services)),
      log_(s_.files, s_.clock, s_.programFolder),
      controls_(designLayout()),
      bot_(s_.processes, s_.clock),
      tray_(s_.shell, s_.codec, s_.window, [this](const std::string& event) { note(event); }) {}

Form1::~Form1() = default;

std::string Form1::path(const char* nameWithBackslash) const { return s_.programFolder + nameWithBackslash; }

bool Form1::markerExists(const char* name) const { return s_.files.isPlainFile(path(name)); }

void Form1::deleteIfExists(const char* name) {
    if (markerExists(name)) s_.files.deleteFile(path(name));
}

Form1::Operation::~Operation() {
    if (--form_.depth_ > 0) return;
    if (form_.ending_)
        form_.finishEnd();
    else
        form_.keepAwakeAsWanted();
}

void Form1::load() {
    Operation operation(*this);
    readTheLastRun();
    note("Tavrio Panel started: " + s_.programAndSystem + ", folder " + s_.programFolder);
    // After a crash or an update's restart, Windows brings the panel back, and with it (auto-start) the bot.
    s_.power.registerForRestart();
    tray_.add(*this, kTrayTooltip);
    setText(ControlId::cmdStart, "Start Bot");
    setText(ControlId::lblStatus, "Status: Stopped");
    setText(ControlId::txtPhone, "91");
    setVisible(ControlId::QR1, false);

    // START runs to its end here, before the settings are read; it uses none of them.
    const std::string autoStart =
        ReadIniValue(s_.files, s_.profile, path(file::kConfIni), "tavriobot", "Autostrat", "0");
    const auto switchedOn = [&](const char* key) {
        return switchIsOn(ReadIniValue(s_.files, s_.profile, path(file::kConfIni), "tavriobot", key, ""));
    };
    const bool keepRunning = switchedOn("KeepRunning");
    bot_.configure(keepRunning, switchedOn("KeepAwake"));
    const std::string alertSetting =
        ReadIniValue(s_.files, s_.profile, path(file::kConfIni), "tavriobot", "AlertPhone", "");
    alertPhone_ = AlertPlan::phoneOf(alertSetting);
    if (alertPhone_) note("Alerts go to " + phoneForLog(*alertPhone_));
    if (!alertPhone_ && !trimmed(alertSetting).empty())
        note("AlertPhone is not used: a phone number has 8 to 15 digits");
    // The load goes on even when the user ended START meanwhile, but not once the program began to end.
    if (leadingNumber(autoStart) == 1) {
        note("START by auto-start");
        pressStart(Starter::User);
    }
    if (ending_) return;

    LoadEnvFile(path(file::kEnv));
    if (ending_) return;
    note("Settings: port " + serverPort_ + ", auto-start " + (leadingNumber(autoStart) == 1 ? "on" : "off") +
         ", keep-running " + (bot_.keepsRunning() ? "on" : "off") + ", key " + (apiKey_.empty() ? "not set" : "set"));
    setText(ControlId::LBCOMP, companyName_);
    setText(ControlId::lbkey, apiKey_);
    setText(ControlId::txtPort, serverPort_);
    setTitle(control(ControlId::lbkey).text == kKeyToken ? "VANTERO" : ".");

    for (ControlId picture : {ControlId::Image1_0, ControlId::Image1_1, ControlId::Image1_2})
        setPosition(picture, control(picture).left, kHiddenPictureTop);
    setText(ControlId::Label6, "Version : " + std::to_string(s_.revisionNumber));
}

void Form1::loadHidden() {
    Operation operation(*this);
    load();
    if (ending_ || windowVisible_) return;
    setWindowVisible(true);
    setWindowVisible(false);
}

void Form1::LoadEnvFile(const std::string& envPath) {
    if (!s_.files.isPlainFile(envPath)) {
        showBox("File not found: " + envPath, MessageIcon::Error);
        return;
    }
    // Only four short lines count; a huge file is not read beyond its head.
    const std::optional<std::string> head = s_.files.readBytes(envPath, 0, kEnvHeadBytes);
    if (!head) return;  // locked or unreadable: the fields keep their values
    EnvSettings settings{serverPort_, apiKey_, companyName_};
    applyEnvText(decodeFileText(*head, s_.codec), settings, s_.codec);
    serverPort_ = settings.serverPort;
    apiKey_ = settings.apiKey;
    companyName_ = settings.companyName;
}

void Form1::end(EndReason reason) {
    // The user's close only hides the window: the bot and the poll timer carry on.
    if (reason == EndReason::UserClose) return setWindowVisible(false);
    Operation operation(*this);
    const bool sessionEnds = reason == EndReason::SessionEnd;
    if (!ending_) {
        ending_ = true;
        const char* why = reason == EndReason::Exit           ? "Exit in the tray menu"
                          : reason == EndReason::OutsideClose ? "closed from outside"
                                                              : "Windows is ending the session";
        note(std::string("STOP: ") + why);
        if (reason == EndReason::Exit) userStopped();
        windowEnd_ = reason == EndReason::OutsideClose ? WindowEnd::Destroy : WindowEnd::EndProcess;
        // What the user sees ends now: the boxes and the menu close as their calls return, the icon leaves the
        // notification area, and nothing starts again.
        s_.messages.closeAll();
        s_.window.closePopupMenu();
        tray_.takeAway();
        reason == EndReason::Exit ? pressStop() : StopBot();
        note(std::string("Tavrio Panel ends: ") + why);
    }
    // Windows may end the process as soon as its message returns: the session's end cannot wait for the calls.
    if (sessionEnds) {
        windowEnd_.reset();
        keptAwake_ = false;
        s_.power.keepSystemAwake(false);
        s_.window.end(WindowEnd::EndProcess);
    }
}

void Form1::finishEnd() {
    if (!windowEnd_) return;
    const WindowEnd how = *std::exchange(windowEnd_, std::nullopt);
    if (keptAwake_) s_.power.keepSystemAwake(false);
    keptAwake_ = false;
    tray_.release();
    s_.window.end(how);
}

void Form1::keepAwakeAsWanted() {
    const bool awake = bot_.wantsSystemAwake() && s_.power.onMainsPower();
    if (awake == keptAwake_) return;
    keptAwake_ = awake;
    s_.power.keepSystemAwake(awake);
}

void Form1::powerChanged() { Operation operation(*this); }

bool Form1::waitUndisturbed(const std::function<void()>& wait) {
    const std::uint32_t stopsBefore = bot_.stops();
    wait();
    return bot_.stops() == stopsBefore && !ending_;
}

void Form1::click(ControlId id) {
    Operation operation(*this);
    // A hidden control does nothing either: a click can still arrive from outside as a command message.
    if (ending_ || !control(id).enabled || !control(id).visible) return;
    switch (id) {
        case ControlId::cmdStart:
        case ControlId::mnustart:
            note(id == ControlId::cmdStart ? "START by the button" : "START from the tray menu");
            bot_.userStarted();  // a new series
            pressStart(Starter::User);
            break;
        case ControlId::Command1:
        case ControlId::mnuStop:
            note(id == ControlId::Command1 ? "STOP by the button" : "STOP from the tray menu");
            userStopped();
            pressStop();
            break;
        case ControlId::mnuLog: openSupportLog(); break;
        case ControlId::Command2: SendTextMessage(); break;
        case ControlId::Command3: removeSession(); break;
        case ControlId::mnuOpen: showWindow(); break;
        case ControlId::exitapp: end(EndReason::Exit); break;
        default: break;
    }
}

void Form1::textEdited(ControlId id, std::string text) { mutableControl(id).text = std::move(text); }

void Form1::mouseMove(int button, std::int32_t xTwips) {
    Operation operation(*this);
    if (!ending_) tray_.mouseMove(button, xTwips);
}

void Form1::trayNotification(int button, std::uint16_t code) {
    Operation operation(*this);
    if (!ending_) tray_.notification(button, code);
}

void Form1::RightClick() {
    refreshMenuLines();
    s_.window.showPopupMenu();
}

void Form1::taskbarCreated() {
    Operation operation(*this);
    tray_.taskbarCreated();
}

void Form1::trayRetryTick() {
    Operation operation(*this);
    tray_.retryTick();
}

// ---- Control state, mirrored into the real window when it changes

void Form1::setPosition(ControlId id, std::int32_t left, std::int32_t top) {
    if (control(id).left == left && control(id).top == top) return;
    mutableControl(id).left = left;
    mutableControl(id).top = top;
    s_.window.applyControl(id, control(id));
}

void Form1::setTimer(std::uint32_t milliseconds) {
    timerInterval_ = milliseconds;
    s_.window.setTimerInterval(milliseconds);
}

void Form1::setTitle(std::string title) {
    title_ = std::move(title);
    s_.window.setTitle(title_);
}

void Form1::showWindow() { setWindowVisible(true); }

void Form1::setWindowVisible(bool visible) {
    windowVisible_ = visible;
    s_.window.setWindowVisible(visible);
}

void Form1::setStartEnabled(bool enabled) {
    setEnabled(ControlId::cmdStart, enabled);
    setEnabled(ControlId::mnustart, enabled);
}

}  // namespace tavrio
