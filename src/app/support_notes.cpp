// What the window writes to the support log: every event once, what the user was shown, and never the key, the
// message being typed or a whole phone number.
#include "app/main_window.h"
#include "text/utf8.h"

namespace tavrio {

void Form1::note(std::string event) {
    // The panel's own words name no phone and no message; what comes from outside is masked where it enters
    // (showBox). Masking the message everywhere would cut a short one ("1") out of every exit code and count.
    if (!apiKey_.empty()) event = replaceAll(std::move(event), apiKey_, "<key>");
    log_.write(event);
}

void Form1::showBox(const std::string& text, MessageIcon icon, bool fromOutside) {
    std::string shown = fromOutside ? phonesMasked(text) : text;
    // The bot's answer may quote the message back.
    const std::string& message = control(ControlId::txtMessage).text;
    if (fromOutside && !message.empty()) shown = replaceAll(std::move(shown), message, "<message>");
    note("Message box: " + shown);
    s_.messages.show(text, icon);
}

void Form1::roadReached(Road road) {
    if (road == road_) return;
    road_ = road;
    switch (road) {
        case Road::Qr: note("QR code shown: waiting for a phone to be linked"); break;
        case Road::Ready: note("The bot is ready"); break;
        case Road::Waiting: note("The bot is waiting for its session again"); break;
        case Road::Unknown: break;
    }
}

}  // namespace tavrio
