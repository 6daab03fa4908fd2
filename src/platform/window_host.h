// What the core asks of the real window: it mirrors the core's control state into real controls and carries
// out the few window-wide actions. Input goes the other way, as calls on `tavrio::Form1`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/controls.h"

namespace tavrio {

// How the window ends once the core has ended the program (`Form1::end`): destroyed, which ends its message loop,
// or with the process, at once.
enum class WindowEnd { Destroy, EndProcess };

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // A control's state changed in the core; show it.
    virtual void applyControl(ControlId id, const ControlState& state) = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setWindowVisible(bool visible) = 0;
    // 0 stops the poll timer.
    virtual void setTimerInterval(std::uint32_t milliseconds) = 0;
    // The timer that tries the tray icon's add again (`Form1::trayRetryTick`); 0 stops it.
    virtual void setTrayRetryTimer(std::uint32_t milliseconds) = 0;
    // When the bot's life next needs the window (`Form1::botLifeTick`): a start due after a pause, what a stopped bot
    // started still to be ended; 0 stops it.
    virtual void setBotLifeTimer(std::uint32_t milliseconds) = 0;
    // Handles every window event that is pending now, once, then returns.
    virtual void pumpPendingEvents() = 0;
    // Opens the tray popup menu at the mouse pointer; returns when it has closed (and its choice has run).
    virtual void showPopupMenu() = 0;
    // Closes the popup menu if it is open: the program ends.
    virtual void closePopupMenu() = 0;
    // The window handle as the tray record carries it.
    virtual std::uint32_t windowHandle() = 0;
    // Handle of the icon held by element `index` of the picture array, if the array has that element.
    virtual std::optional<std::uint32_t> pictureIcon(int index) = 0;
    virtual void end(WindowEnd how) = 0;
};

}  // namespace tavrio
