// Addresses of the bot's HTTP interface. The port comes from a text box the user can edit, so it is checked
// before anything is sent: the request must never leave this machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tavrio {

// "http://localhost:<port><page>" when the port text, blanks trimmed, is a whole number from 1 to 65535.
std::optional<std::string> localBotUrl(const std::string& portText, const std::string& page);

// WinHTTP's "invalid URL" failure (ERROR_WINHTTP_INVALID_URL as an HRESULT), reported for a port text that
// is no port, exactly as an unusable address would be.
constexpr std::int32_t kInvalidUrlError = static_cast<std::int32_t>(0x80072EE5);
constexpr const char* kInvalidUrlDescription = "The URL is invalid";

// WinHTTP's time-out (ERROR_WINHTTP_TIMEOUT as an HRESULT): the request went out, and its answer may yet be acted on.
constexpr std::int32_t kTimedOutError = static_cast<std::int32_t>(0x80072EE2);

// The failure of a request that was never sent because its address was refused.
HttpResult invalidUrlFailure();

// What the user is shown for a failed request: its number in signed-field decimal, CR LF, its description.
std::string failureMessage(const HttpResult& failure);

// The same for a failed Send: a time-out also says that the message may still go out.
std::string sendFailureMessage(const HttpResult& failure);

}  // namespace tavrio
