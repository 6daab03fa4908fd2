// Send Massage: one message posted to the bot, its answer shown whatever it says.
#include "app/message_sender.h"

#include <cstdio>

#include "app/local_url.h"
#include "app/main_window.h"
#include "text/utf8.h"

namespace tavrio {
namespace {

void appendJsonString(std::string& out, const std::string& value) {
    out += '"';
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += ch;  // UTF-8 goes on the wire as it is
                }
        }
    }
    out += '"';
}

}  // namespace

std::string sendTextBody(const std::string& phone, const std::string& text) {
    // JSON is UTF-8: a malformed byte would make the whole body unreadable, so it goes as U+FFFD.
    std::string body = "{\"phone\":";
    appendJsonString(body, validUtf8(phone));
    body += ",\"text\":";
    appendJsonString(body, validUtf8(text));
    body += '}';
    return body;
}

void Form1::SendTextMessage() {
    HttpRequest request;
    request.method = "POST";
    request.headers = {{"Content-Type", "application/json"}, {"Authorization", "qvx"}};
    request.body = sendTextBody(control(ControlId::txtPhone).text, control(ControlId::txtMessage).text);
    // WinHTTP's documented defaults for each phase (no resolve time-out), set because under Wine a request without
    // them waits for ever; the whole request ends at their sum, two minutes, however slowly the bot answers.
    request.timeouts = {0, 60000, 30000, 30000};
    const HttpResult result = sendToBot(botUrl("/send-text"), std::move(request));
    // The bot's answer whatever its status, or what went wrong.
    s_.messages.show(result.ok ? result.body : sendFailureMessage(result), MessageIcon::None);
}

}  // namespace tavrio
