// The program's icon in the notification area for the whole of its life: added at the load, and again while the
// shell refuses it or after the shell was re-created; fed the window's mouse moves and the icon's notifications;
// taken away at once when the program ends, and freed only when its owner says no call uses it any more.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/window_host.h"
#include "tray/sys_tray.h"

namespace tavrio {

class TrayPresence {
public:
    // `note` hears of a refused add and of the add that was finally taken.
    TrayPresence(ShellTray& shell, TextCodec& codec, WindowHost& window, std::function<void(const std::string&)> note)
        : shell_(shell), codec_(codec), window_(window), note_(std::move(note)) {}

    // The icon is the only way into a program that starts hidden: an add the shell refuses is tried again on the
    // window's second timer, every 2 s for the first minute, then every 30 s.
    void add(TrayEvents& events, const std::string& tooltip);
    void taskbarCreated();
    void retryTick();

    // The window's mouse move at `xTwips`, which the icon's mapping sees as the Form's own would.
    void mouseMove(int button, std::int32_t xTwips);
    // A notification of the icon, by its code (the mouse message, e.g. 516 for a right press).
    void notification(int button, std::uint16_t code);

    // What the icon shows. Each is a call through the shell, in which messages sent from outside may run; once
    // the icon is taken away, none reaches the shell.
    void picture(std::uint8_t index);
    void tooltip(const std::string& text);
    void balloon(const std::string& text);

    // The program ends: the icon leaves the notification area now, so that no ghost is left there, and takes no
    // more calls. The object stays, for a call under way may be inside it, until `release`.
    void takeAway();
    void release() { icon_.reset(); }

    // Nothing before the add and after the release.
    const clsSysTray* icon() const { return icon_.get(); }

private:
    void added(bool accepted);
    clsSysTray* live() const { return takenAway_ ? nullptr : icon_.get(); }

    ShellTray& shell_;
    TextCodec& codec_;
    WindowHost& window_;
    std::function<void(const std::string&)> note_;
    std::unique_ptr<clsSysTray> icon_;
    bool takenAway_ = false;
    int refusals_ = 0;  // in a row; they also pace the retried add
};

}  // namespace tavrio
