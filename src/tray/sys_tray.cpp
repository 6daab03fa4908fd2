#include "tray/sys_tray.h"

namespace tavrio {
namespace {

constexpr std::uint32_t kWmMouseMove = 0x200;

// The values of X that raise an event. The window passes positions in twips, so the right press arrives as its
// notification code (WM_RBUTTONDOWN, 516) in twips; the other rows are the bare codes of WM_LBUTTONUP,
// WM_LBUTTONDBLCLK and the balloon notifications, which only a caller in pixels would pass.
constexpr std::int32_t kRightPressInTwips = clsSysTray::notificationInTwips(516);
constexpr std::int32_t kLeftRelease = 0x202, kLeftDoubleClick = 0x203;
constexpr std::int32_t kBalloonHidden = 0x403, kBalloonTimedOut = 0x404, kBalloonClickedByUser = 0x405;

}  // namespace

clsSysTray::clsSysTray(ShellTray& shell, TextCodec& codec, TrayEvents& events)
    : shell_(shell), codec_(codec), events_(events) {}

clsSysTray::~clsSysTray() { Remove(); }

void clsSysTray::Remove() {
    if (removed_) return;
    removed_ = true;
    // The shell finds the icon by window and id; the record goes as it stands.
    send(TrayMessage::Delete);
}

bool clsSysTray::send(TrayMessage message) {
    // Removed while one of its own calls was under way (the program ended inside it): that call sends no more.
    if (removed_ && message != TrayMessage::Delete) return false;
    return shell_.notifyIcon(message, record_.bytes(codec_));
}

bool clsSysTray::Init(WindowHost& pfrm, const std::string& pstrTooltip) {
    record_.cbSize = kTrayRecordSize;
    record_.hWnd = pfrm.windowHandle();
    record_.uID = 1;
    record_.uFlags = nif::Message;
    // The icon's notifications come back as mouse moves of the window, whose x is the notification code.
    record_.uCallbackMessage = kWmMouseMove;
    const bool added = send(TrayMessage::Add);
    SetIcon(pfrm, 0);
    TooltipText(pstrTooltip);
    return added;
}

bool clsSysTray::SetIcon(WindowHost& pfrm, std::uint8_t I) {
    const std::optional<std::uint32_t> icon = pfrm.pictureIcon(I);
    if (!icon) return false;
    record_.hIcon = *icon;
    UpdateIcon();
    return true;
}

void clsSysTray::UpdateIcon() {
    record_.uFlags = nif::Icon;
    send(TrayMessage::Modify);
}

void clsSysTray::TooltipText(const std::string& pstrTooltip) {
    record_.szTip = pstrTooltip;
    record_.uFlags = nif::Tip;
    send(TrayMessage::Modify);
}

void clsSysTray::ShowBalloonTip(const std::string& pstrMessage, std::int32_t penIcon, const std::string& pstrTitle,
                                std::int32_t plngTimeout) {
    record_.szInfo = pstrMessage;
    record_.szInfoTitle = pstrTitle;
    record_.uTimeout = static_cast<std::uint32_t>(plngTimeout);
    record_.dwInfoFlags = static_cast<std::uint32_t>(penIcon);
    record_.uFlags = nif::Info;
    send(TrayMessage::Modify);
}

bool clsSysTray::Readd() {
    // One flag per call, as every other call sends: first the callback, then the picture, then the tip.
    record_.uFlags = nif::Message;
    // An add the shell took too late to say so left the icon there, and a second add of it fails: a modify
    // then finds it.
    if (!send(TrayMessage::Add) && !send(TrayMessage::Modify)) return false;
    UpdateIcon();
    record_.uFlags = nif::Tip;
    send(TrayMessage::Modify);
    return true;
}

void clsSysTray::MouseMove(int /*Button*/, std::int32_t X, WindowHost& /*pfrm*/) {
    switch (X) {
        case kLeftRelease: events_.LeftClick(); break;
        case kRightPressInTwips: events_.RightClick(); break;
        case kLeftDoubleClick: events_.DoubleClick(); break;
        case kBalloonHidden: events_.BalloonHide(); break;
        case kBalloonTimedOut: events_.BalloonTimeOut(); break;
        case kBalloonClickedByUser: events_.BalloonClicked(); break;
        default: break;
    }
}

}  // namespace tavrio
