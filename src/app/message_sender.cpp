// Send Massage: one message posted to the bot, its answer shown whatever it says.
#include "app/bot_http.h"
#include "app/main_window.h"

namespace tavrio {

void Form1::SendTextMessage() {
    const HttpResult result = sendToBot(
        botUrl("/send-text"), sendTextRequest(control(ControlId::txtPhone).text, control(ControlId::txtMessage).text));
    const std::string to = phoneForLog(control(ControlId::txtPhone).text);
    note(result.ok ? "Send to " + to + ": the bot answered with status " + std::to_string(result.status)
                   : "Send to " + to + " failed: " + failureMessage(result));
    // The bot's answer whatever its status, or what went wrong.
    showBox(result.ok ? result.body : sendFailureMessage(result), MessageIcon::None, result.ok);
}

}  // namespace tavrio
