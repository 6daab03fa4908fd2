// Text files as editors save them: a file that starts with the UTF-8 byte-order mark is UTF-8 (the mark is
// dropped); any other file is text in the system's ANSI code page.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tavrio {

// The file's bytes as the core's UTF-8. Malformed UTF-8 after the mark becomes U+FFFD, so the result is always
// valid UTF-8.
std::string decodeFileText(const std::string& bytes, TextCodec& codec);

}  // namespace tavrio
