#include "app/local_url.h"

#include "text/utf8.h"

namespace tavrio {

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
    result.errorDescription = kInvalidUrlDescription;
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

}  // namespace tavrio
