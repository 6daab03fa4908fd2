// Reading the panel's ".env" text: the bot's port, the key shown in the window, and the company name.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tavrio {

struct EnvSettings {
    std::string serverPort;   // "PORT"
    std::string apiKey;       // "TAVRIO_API_KEY"
    std::string companyName;  // "COMPNEYNAME"
};

// Applies the file's text (already decoded to UTF-8) to `settings`; a field that no line sets keeps its value.
// Only the first four lines count. Lines end with LF or CR LF; the text ends at a lone CR.
void applyEnvText(const std::string& text, EnvSettings& settings, TextCodec& codec);

}  // namespace tavrio
