// The text shown for an HTTP answer: its bytes decoded by the Content-Type's charset, always valid UTF-8, cut at
// a cap. Code pages other than UTF-8 and UTF-16 are the system's to convert, through the function it hands in.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavrio {

inline constexpr std::uint32_t kCodePageUtf8 = 65001, kCodePageUtf16Le = 1200, kCodePageUtf16Be = 1201;

// The bytes in a code page as UTF-8 (repaired afterwards, so it need not be valid); nothing when the system has
// no such code page.
using CodePageDecoder = std::function<std::optional<std::string>(std::string_view bytes, std::uint32_t codePage)>;

// The code page named by the Content-Type's charset; UTF-8 when there is none or the name is unknown.
std::uint32_t codePageOfContentType(std::string_view contentType);

// At most `limit` bytes of UTF-8, never ending in half a character.
std::string cutUtf8(std::string text, std::size_t limit);

// The answer's bytes as the text shown: decoded (as UTF-8 where the system lacks the code page), malformed
// sequences as U+FFFD, at most `limit` bytes.
std::string answerText(std::string_view bytes, std::string_view contentType, const CodePageDecoder& system,
                       std::size_t limit);

}  // namespace tavrio
