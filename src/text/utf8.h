// Small helpers over the core's UTF-8 strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrio {

// The byte-order mark that editors put at the start of a "UTF-8 with BOM" file.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline bool startsWithUtf8Bom(std::string_view bytes) { return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

// The text with every malformed, overlong or surrogate sequence replaced by U+FFFD.
std::string validUtf8(std::string_view bytes);

// UTF-16 bytes (little- or big-endian) as UTF-8; a lone surrogate becomes U+FFFD and an odd last byte is dropped.
std::string utf16ToUtf8(std::string_view bytes, bool littleEndian);

// Each code point as its own UTF-8 string; a malformed byte stands alone.
std::vector<std::string> splitCodePoints(std::string_view utf8);

// Every occurrence of `what` removed (case counts).
std::string removeAll(std::string text, std::string_view what);
std::string replaceAll(std::string text, std::string_view what, std::string_view with);

// The text without the leading and trailing characters of `blanks` (by default the space only).
std::string_view trimmed(std::string_view text, std::string_view blanks = " ");

bool contains(std::string_view text, std::string_view what);

// Signed-field decimal: a blank before a number that is not negative.
std::string signedField(long long value);

}  // namespace tavrio
