// The bot's HTTP interface as the panel uses it: where a request goes (the port box, checked to stay on this
// machine), what it carries, how long it may take, and what the user is told when it fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tavrio {

// The fixed key every Send carries, and the one the title rule recognises in `.env`.
inline constexpr const char* kKeyToken = "qvx";

// "http://localhost:<port><page>" when the port text, blanks trimmed, is a whole number from 1 to 65535.
std::optional<std::string> localBotUrl(const std::string& portText, const std::string& page);

// The requests, addressed by the caller. The poller's GET of `/phone`: a browser's User-Agent, 20 s for each phase.
HttpRequest phoneRequest();

// Send Massage's POST of `/send-text`, with the body below; each phase has WinHTTP's own default.
HttpRequest sendTextRequest(const std::string& phone, const std::string& text);

// The owner's alert: Send's request, but 5 s for each phase, as the bot is on this machine and ready.
HttpRequest alertRequest(const std::string& phone, const std::string& text);

// {"phone":"...","text":"..."}: both members in that order, no white space, every character kept as typed,
// with quotation marks, backslashes and control characters escaped as JSON requires; malformed UTF-8 as U+FFFD.
std::string sendTextBody(const std::string& phone, const std::string& text);

// WinHTTP's "invalid URL" failure (ERROR_WINHTTP_INVALID_URL as an HRESULT), reported for a port text that
// is no port, exactly as an unusable address would be.
constexpr std::int32_t kInvalidUrlError = static_cast<std::int32_t>(0x80072EE5);
// WinHTTP's time-out (ERROR_WINHTTP_TIMEOUT as an HRESULT): the request went out, and the bot may act on it yet.
constexpr std::int32_t kTimedOutError = static_cast<std::int32_t>(0x80072EE2);

// The failure of a request that was never sent because its address was refused.
HttpResult invalidUrlFailure();

// What the user is shown for a failed request: its number in signed-field decimal, CR LF, its description.
std::string failureMessage(const HttpResult& failure);

// The same for a failed Send: a time-out also says that the message may still go out.
std::string sendFailureMessage(const HttpResult& failure);

}  // namespace tavrio
