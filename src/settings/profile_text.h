// One value of a profile (INI) file from its text, by the profile function's own lookup rules, for the files
// that function cannot read: those that start with the UTF-8 byte-order mark.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrio {

// The value of the first `key` in the first section named `section` (both compared without regard to ASCII
// case), with blanks and tabs around the key and the value dropped, and one pair of matching quotes around the
// value removed. Nothing when the section or the key is missing.
std::optional<std::string> profileTextValue(std::string_view text, std::string_view section, std::string_view key);

}  // namespace tavrio
