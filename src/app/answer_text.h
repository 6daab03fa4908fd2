// The text shown for an HTTP answer: its bytes decoded by the Content-Type's charset, always valid UTF-8, cut at
// the answer cap. The conversion of other code pages is the system's, behind `CodePageConverter`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tavrio {

inline constexpr std::uint32_t kCodePageUtf8 = 65001, kCodePageUtf16Le = 1200, kCodePageUtf16Be = 1201;

class CodePageConverter {
public:
    virtual ~CodePageConverter() = default;
    virtual bool supports(std::uint32_t codePage) = 0;
    // The bytes in `codePage` as UTF-8 (the result is repaired again, so it need not be valid).
    virtual std::string toUtf8(std::string_view bytes, std::uint32_t codePage) = 0;
};

// The code page named by the Content-Type's charset; UTF-8 when there is none, or it is unknown or unsupported.
std::uint32_t codePageOfContentType(std::string_view contentType, CodePageConverter& converter);

// At most `limit` bytes of UTF-8, never ending in half a character.
std::string cutUtf8(std::string text, std::size_t limit);

// The answer's bytes as the text shown: decoded, malformed sequences as U+FFFD, at most `limit` bytes.
std::string answerText(std::string_view bytes, std::string_view contentType, CodePageConverter& converter,
                       std::size_t limit = kMaxAnswerBytes);

}  // namespace tavrio
