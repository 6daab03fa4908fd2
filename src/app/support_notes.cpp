// What the window writes to the support log: every event once, what the user was shown, and never the key, the
// message being typed or a whole phone number.
#include "app/main_window.h"

namespace tavrio {

void Form1::note(const std::string& event) {
    // The panel's own words name no key, phone or message; what comes from outside is masked where it enters
    // (showBox). Masking everywhere would cut a short key or message ("1") out of every exit code and count.
    log_.write(event);
}

void Form1::showBox(const std::string& text, MessageIcon icon, bool fromOutside) {
    // The bot's answer may quote the key, the message or a phone number back.
    const std::string shown =
        fromOutside ? outsideTextMasked(text, apiKey_, control(ControlId::txtMessage).text) : text;
    note("Message box: " + shown);
    openBox(text, icon);
}

void Form1::openBox(const std::string& text, MessageIcon icon) {
    ++boxesOpen_;
    s_.messages.show(text, icon);
    --boxesOpen_;
}

void Form1::roadReached(Road road) {
    if (!bot_.roadSeen(road)) return;
    switch (road) {
        case Road::Qr: note("QR code shown: waiting for a phone to be linked"); break;
        case Road::Ready: note("The bot is ready"); break;
        case Road::Waiting: note("The bot is waiting for its session again"); break;
        case Road::Unknown: break;
    }
}

}  // namespace tavrio
