#include "tray/sys_tray.h"

#include <stdexcept>

namespace tavrio {
namespace {
constexpr std::uint32_t kWmMouseMove = 0x200;
}

clsSysTray::clsSysTray(ShellTray& shell, IconFactory& icons, TextCodec& codec, TrayEvents& events)
    : shell_(shell), icons_(icons), codec_(codec), events_(events) {}

clsSysTray::~clsSysTray() {
    // The shell finds the icon by window and id; the record goes as it stands.
    send(TrayMessage::Delete);
}

void clsSysTray::send(TrayMessage message) { shell_.notifyIcon(message, record_.bytes(codec_)); }

void clsSysTray::Init(WindowHost& pfrm, const std::string& pstrTooltip) {
    record_.cbSize = kTrayRecordSize;
    record_.hWnd = pfrm.windowHandle();
    record_.uID = 1;
    record_.uFlags = nif::Message;
    // The icon's notifications come back as mouse moves of the window, whose x is the notification code.
    record_.uCallbackMessage = kWmMouseMove;
    send(TrayMessage::Add);
    SetIcon(pfrm, 0);
    TooltipText(pstrTooltip);
}

void clsSysTray::SetIcon(WindowHost& pfrm, std::uint8_t I) {
    const std::optional<std::uint32_t> icon = pfrm.pictureIcon(I);
    if (!icon) throw std::out_of_range("the window has no picture " + std::to_string(I));
    record_.hIcon = *icon;
    UpdateIcon();
}

void clsSysTray::UpdateIcon() {
    record_.uFlags = nif::Icon;
    send(TrayMessage::Modify);
}

void clsSysTray::TooltipText(const std::string& pstrTooltip) {
    tooltip_ = pstrTooltip;
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

void clsSysTray::DrawIcon(PictureBox& ppic, std::int32_t plngTransparentColor) {
    const std::uint32_t bitmap = ppic.persistDrawingAsBitmap();
    const std::uint32_t icon = plngTransparentColor < 0 ? icons_.iconFromBitmap(bitmap)
                                                        : icons_.transparentIconFromBitmap(
                                                              bitmap, static_cast<std::uint32_t>(plngTransparentColor));
    record_.hIcon = icon;
    if (icon == 0) return;  // nothing could be built: the icon on screen stays as it was
    UpdateIcon();
    icons_.destroyIcon(icon);  // the shell keeps its own copy
}

void clsSysTray::Readd() {
    // One flag per call, as every other call sends: first the callback, then the picture, then the tip.
    record_.uFlags = nif::Message;
    send(TrayMessage::Add);
    UpdateIcon();
    record_.uFlags = nif::Tip;
    send(TrayMessage::Modify);
}

void clsSysTray::MouseMove(int /*Button*/, std::int32_t X, WindowHost& /*pfrm*/) {
    switch (X) {
        case 514: events_.LeftClick(); break;
        case 7740: events_.RightClick(); break;  // WM_RBUTTONDOWN (516) at 15 twips per pixel
        case 515: events_.DoubleClick(); break;
        case 1027: events_.BalloonHide(); break;
        case 1028: events_.BalloonTimeOut(); break;
        case 1029: events_.BalloonClicked(); break;
        default: break;
    }
}

}  // namespace tavrio
