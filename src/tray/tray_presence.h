// The program's icon in the notification area for the whole of its life: added at the load, and again while the
// shell refuses it or after the shell was re-created; fed the window's mouse moves and the icon's notifications;
// released only once no call of its own is under way.
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
    TrayPresence(ShellTray& shell, IconFactory& icons, TextCodec& codec, WindowHost& window,
                 std::function<void(const std::string&)> note)
        : shell_(shell), icons_(icons), codec_(codec), window_(window), note_(std::move(note)) {}

    // The icon is the only way into a program that starts hidden: an add the shell refuses is tried again on the
    // window's second timer, every 2 s for the first minute, then every 30 s.
    void add(TrayEvents& events, const std::string& tooltip);
    void taskbarCreated();
    void retryTick();

    // The window's mouse move at `xTwips`, which the icon's mapping sees as the Form's own would.
    void mouseMove(int button, std::int32_t xTwips);
    // A notification of the icon, by its code (the mouse message, e.g. 516 for a right press).
    void notification(int button, std::uint16_t code);

    // The program ends: the icon goes first, so that no ghost is left in the notification area. Inside the icon's
    // own call (its menu is open) it goes once that call has unwound; `afterwards` then runs after it when
    // `waitForTheCall`, and at once otherwise.
    void release(bool waitForTheCall, std::function<void()> afterwards);

    // Nothing before the add and after the release.
    clsSysTray* icon() const { return icon_.get(); }

private:
    void added(bool accepted);

    ShellTray& shell_;
    IconFactory& icons_;
    TextCodec& codec_;
    WindowHost& window_;
    std::function<void(const std::string&)> note_;
    std::unique_ptr<clsSysTray> icon_;
    int callDepth_ = 0;  // inside clsSysTray::MouseMove
    bool releasing_ = false;
    std::function<void()> afterRelease_;
    int refusals_ = 0;  // in a row; they also pace the retried add
};

}  // namespace tavrio
