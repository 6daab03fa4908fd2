// Reading one value of a Windows profile (INI) file, and the numeric reading of the auto-start switch.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tavrio {

// At most 254 characters of the value; `defaultValue` when the file, section or key is missing. The system's
// profile function reads the file, unless it starts with the UTF-8 byte-order mark.
std::string ReadIniValue(FileSystem& files, ProfileReader& profile, const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue);

// The text read as a number: its leading number, blanks ignored, 0 when it does not start with one ("1", "01"
// and "1.0" are all 1; "", "yes" and "x1" are 0).
double leadingNumber(const std::string& text);

// A switch that is on unless turned off: a leading number of 0 ("0", "00", "0.0", "+0"), or "off", "no" or "false"
// in any case, turns it off; absent, empty or anything else leaves it on.
bool switchIsOn(const std::string& text);

}  // namespace tavrio
