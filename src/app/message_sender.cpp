// Send Massage: one message posted to the bot, its answer shown whatever it says.
#include "app/bot_http.h"
#include "app/main_window.h"

namespace tavrio {

void Form1::SendTextMessage() {
    const HttpResult result = sendToBot(
        botUrl("/send-text"), sendTextRequest(control(ControlId::txtPhone).text, control(ControlId::txtMessage).text));
    // The bot's answer whatever its status, or what went wrong.
    s_.messages.show(result.ok ? result.body : sendFailureMessage(result), MessageIcon::None);
}

}  // namespace tavrio
