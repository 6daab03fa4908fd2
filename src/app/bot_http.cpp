#include "app/bot_http.h"

#include <cstdio>

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

std::optional<std::string> localBotUrl(const std::string& portText, const std::string& page) {
    const std::string port(trimmed(portText));
    if (port.empty() || port.size() > 5) return std::nullopt;
    long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return "http://localhost:" + port + page;
}

HttpResult invalidUrlFailure() {
    HttpResult result;
    result.errorNumber = kInvalidUrlError;
    result.errorDescription = "The URL is invalid";
    return result;
}

std::string failureMessage(const HttpResult& failure) {
    return signedField(failure.errorNumber) + "\r\n" + failure.errorDescription;
}

std::string sendFailureMessage(const HttpResult& failure) {
    if (failure.errorNumber != kTimedOutError) return failureMessage(failure);
    // The bot had the message and may send it after all: a second Send would send it twice.
    return failureMessage(failure) +
           "\r\n\r\nThe bot did not answer in time, but it may still send the message. Check whether it "
           "arrived before you send it again.";
}

HttpRequest phoneRequest() {
    HttpRequest request;
    request.method = "GET";
    request.headers = {{"User-Agent", "Mozilla/5.0 (Windows NT 10.0; Win64; x64)"}};
    request.timeouts = {20000, 20000, 20000, 20000};
    return request;
}

HttpRequest sendTextRequest(const std::string& phone, const std::string& text) {
    HttpRequest request;
    request.method = "POST";
    request.headers = {{"Content-Type", "application/json"}, {"Authorization", kKeyToken}};
    request.body = sendTextBody(phone, text);
    // All four phases at 0: the client's defaults, which are WinHTTP's own (the client sets them, because under
    // Wine a request without them waits for ever on a bot that never answers).
    return request;
}

HttpRequest alertRequest(const std::string& phone, const std::string& text) {
    HttpRequest request = sendTextRequest(phone, text);
    constexpr std::int32_t kPhaseMs = 5000;
    request.timeouts = {kPhaseMs, kPhaseMs, kPhaseMs, kPhaseMs};
    return request;
}

std::string sendTextBody(const std::string& phone, const std::string& text) {
    // JSON is UTF-8: a malformed byte would make the whole body unreadable, so it goes as U+FFFD.
    std::string body = "{\"phone\":";
    appendJsonString(body, validUtf8(phone));
    body += ",\"text\":";
    appendJsonString(body, validUtf8(text));
    body += '}';
    return body;
}

}  // namespace tavrio
