// The program's one icon in the notification area: its picture, tooltip and balloon, and the mapping of the
// icon's mouse notifications (which arrive as mouse moves of the owning window) to events.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/window_host.h"
#include "tray/tray_record.h"

namespace tavrio {

// Events without parameters, raised synchronously inside `clsSysTray::MouseMove`.
class TrayEvents {
public:
    virtual ~TrayEvents() = default;
    virtual void LeftClick() {}
    virtual void RightClick() {}
    virtual void DoubleClick() {}
    virtual void BalloonHide() {}
    virtual void BalloonTimeOut() {}
    virtual void BalloonClicked() {}
};

class clsSysTray {
public:
    clsSysTray(ShellTray& shell, TextCodec& codec, TrayEvents& events);
    // Removes the icon, unless `Remove` already did.
    ~clsSysTray();
    clsSysTray(const clsSysTray&) = delete;
    clsSysTray& operator=(const clsSysTray&) = delete;

    // False when the shell refused the icon (it may not be ready yet at login): `Readd` tries again.
    bool Init(WindowHost& pfrm, const std::string& pstrTooltip);
    void MouseMove(int Button, std::int32_t X, WindowHost& pfrm);
    // A notification code (the mouse message the shell reports) as the X that MouseMove knows it by: twips at 15
    // twips per pixel, the unit the shell's x has only at 96 DPI, so that the code means the same at every DPI.
    static constexpr std::int32_t notificationInTwips(std::uint16_t code) {
        return static_cast<std::int32_t>(code) * 15;
    }
    // False when the window's picture array has no element `I`; nothing changes then.
    bool SetIcon(WindowHost& pfrm, std::uint8_t I);
    void ShowBalloonTip(const std::string& pstrMessage, std::int32_t penIcon = 0, const std::string& pstrTitle = "",
                        std::int32_t plngTimeout = 30000);
    const std::string& TooltipText() const { return record_.szTip; }
    void TooltipText(const std::string& pstrTooltip);

    // Adds the icon again with its picture and tooltip: the shell's notification area was re-created, or it
    // refused the last add. False while the shell still has no icon.
    bool Readd();
    // Takes the icon out of the notification area for good (the program ends); the object itself may still be
    // in use by a call under way.
    void Remove();

    const TrayRecord& record() const { return record_; }

private:
    void UpdateIcon();
    bool send(TrayMessage message);

    ShellTray& shell_;
    TextCodec& codec_;
    TrayEvents& events_;
    TrayRecord record_;  // its szTip is the whole tooltip text; the shell's copy is cut to the field
    bool removed_ = false;
};

}  // namespace tavrio
