#include "tray/tray_presence.h"

#include <utility>

namespace tavrio {
namespace {
constexpr std::uint32_t kRetryFirstMs = 2000, kRetryLaterMs = 30000;
constexpr int kRetriesAtFirstPace = 30;
// Balloons wait while the user is in a presentation, a full-screen game or quiet hours.
constexpr std::int32_t kBalloonRespectsQuietTime = 0x80;
}  // namespace

void TrayPresence::add(TrayEvents& events, const std::string& tooltip) {
    icon_ = std::make_unique<clsSysTray>(shell_, codec_, events);
    added(icon_->Init(window_, tooltip));
}

void TrayPresence::taskbarCreated() {
    if (clsSysTray* icon = live()) added(icon->Readd());
}

void TrayPresence::retryTick() {
    clsSysTray* icon = live();
    if (!icon) return window_.setTrayRetryTimer(0);
    added(icon->Readd());
}

void TrayPresence::added(bool accepted) {
    if (accepted && refusals_ > 0)
        note_("The notification area took the icon after " + std::to_string(refusals_) + " refused adds");
    if (!accepted && refusals_ == 0)
        note_("The notification area refused the icon: it is added again until it takes it");
    refusals_ = accepted ? 0 : refusals_ + 1;
    // The first refusal and the 30 retries after it come every 2 s.
    window_.setTrayRetryTimer(accepted ? 0 : refusals_ <= kRetriesAtFirstPace ? kRetryFirstMs : kRetryLaterMs);
}

void TrayPresence::mouseMove(int button, std::int32_t xTwips) {
    if (clsSysTray* icon = live()) icon->MouseMove(button, xTwips, window_);
}

void TrayPresence::notification(int button, std::uint16_t code) {
    mouseMove(button, clsSysTray::notificationInTwips(code));
}

void TrayPresence::picture(std::uint8_t index) {
    if (clsSysTray* icon = live()) icon->SetIcon(window_, index);
}

void TrayPresence::tooltip(const std::string& text) {
    if (clsSysTray* icon = live()) icon->TooltipText(text);
}

void TrayPresence::balloon(const std::string& text) {
    if (clsSysTray* icon = live()) icon->ShowBalloonTip(text, kBalloonRespectsQuietTime);
}

void TrayPresence::takeAway() {
    window_.setTrayRetryTimer(0);
    if (std::exchange(takenAway_, true) || !icon_) return;
    icon_->Remove();
}

}  // namespace tavrio
