#include "tray/tray_presence.h"

#include <utility>

namespace tavrio {
namespace {
constexpr std::uint32_t kRetryFirstMs = 2000, kRetryLaterMs = 30000;
constexpr int kRetriesAtFirstPace = 30;
}  // namespace

void TrayPresence::add(TrayEvents& events, const std::string& tooltip) {
    icon_ = std::make_unique<clsSysTray>(shell_, icons_, codec_, events);
    added(icon_->Init(window_, tooltip));
}

void TrayPresence::taskbarCreated() {
    if (icon_ && !releasing_) added(icon_->Readd());
}

void TrayPresence::retryTick() {
    if (!icon_ || releasing_) {
        window_.setTrayRetryTimer(0);
        return;
    }
    added(icon_->Readd());
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
    if (!icon_ || releasing_) return;
    ++callDepth_;
    icon_->MouseMove(button, xTwips, window_);
    // The program began to end during the call, which therefore kept the icon: it goes now.
    if (--callDepth_ > 0 || !releasing_) return;
    icon_.reset();
    if (afterRelease_) std::exchange(afterRelease_, nullptr)();
}

void TrayPresence::notification(int button, std::uint16_t code) {
    mouseMove(button, clsSysTray::notificationInTwips(code));
}

void TrayPresence::release(bool waitForTheCall, std::function<void()> afterwards) {
    window_.setTrayRetryTimer(0);
    releasing_ = true;
    if (callDepth_ == 0) {
        icon_.reset();
        return afterwards();
    }
    if (waitForTheCall)
        afterRelease_ = std::move(afterwards);
    else
        afterwards();
}

}  // namespace tavrio
