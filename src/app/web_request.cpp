// The one path to the bot (its address from the port box, every request), the HTTP helper through which the
// poller reads what the bot offers, and the whole-file helper.
#include "app/bot_http.h"
#include "app/file_text.h"
#include "app/main_window.h"
#include "text/utf8.h"

namespace tavrio {
std::optional<std::string> Form1::botUrl(const std::string& page) const {
    return localBotUrl(control(ControlId::txtPort).text, page);
}

HttpResult Form1::sendToBot(const std::optional<std::string>& url, HttpRequest request) {
    if (!url) return invalidUrlFailure();
    request.url = *url;
    return s_.http.send(request);
}

std::string Form1::WebRequest(const std::optional<std::string>& URL, const std::string& NOERROR) {
    HttpResult result = sendToBot(URL, phoneRequest());
    phoneAnswered(result);
    if (result.ok) return std::move(result.body);  // the status is not looked at
    // A hung bot is ended and started again: its failure is no news for the user.
    if (botHangs()) return "";
    if (NOERROR == "N") {
        // Not written again at every tick: the series' first line holds the same text.
        phoneBoxDepth_ = boxesOpen_ + 1;
        openBox(failureMessage(result), MessageIcon::None);
        phoneBoxDepth_ = 0;
    }
    return "";
}

void Form1::phoneAnswered(const HttpResult& result) {
    bot_.phoneAsked(result.ok, std::string(trimmed(control(ControlId::txtPort).text)), result.errorDescription);
    // A bot that stops answering is written down once, and again when it answers: never once a tick.
    if (result.ok) {
        if (phoneFailures_ > 0)
            note("The bot answers /phone again, after " + std::to_string(phoneFailures_) + " failed requests");
        phoneFailures_ = 0;
        return;
    }
    if (phoneFailures_++ == 0) note("The bot does not answer /phone: " + failureMessage(result));
}

std::optional<std::string> Form1::ReadFileToText(const std::string& FilePath) {
    const std::optional<std::uint64_t> size = s_.files.fileSize(FilePath);
    if (!size || *size == 0) return std::nullopt;  // missing, locked, or nothing to read
    const std::optional<std::string> bytes =
        s_.files.readBytes(FilePath, 0, std::min<std::uint64_t>(*size, kMaxQrFileBytes));
    if (!bytes || bytes->empty()) return std::nullopt;
    return decodeFileText(*bytes, s_.codec);
}

}  // namespace tavrio
