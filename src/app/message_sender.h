// The body that Send Massage posts to the bot.
#pragma once

#include <string>

namespace tavrio {

// {"phone":"...","text":"..."}: both members in that order, no white space, every character kept as typed,
// with quotation marks, backslashes and control characters escaped as JSON requires; malformed UTF-8 as U+FFFD.
std::string sendTextBody(const std::string& phone, const std::string& text);

}  // namespace tavrio
