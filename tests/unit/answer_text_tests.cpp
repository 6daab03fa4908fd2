#include <gtest/gtest.h>

#include "platform/read_caps.h"
#include "text/answer_text.h"

namespace tavrio {
namespace {

// Knows only windows-1251, and only its three letters of "при".
std::optional<std::string> system(std::string_view bytes, std::uint32_t codePage) {
    if (codePage != 1251) return std::nullopt;
    std::string out;
    for (unsigned char c : bytes)
        out += c == 0xEF ? "\xD0\xBF" : c == 0xF0 ? "\xD1\x80" : c == 0xE8 ? "\xD0\xB8" : "\xFF";
    return out;
}

TEST(AnswerText, DecodesByTheCharsetRepairsAndCutsAtWholeCharacters) {
    EXPECT_EQ(answerText("\xEF\xF0\xE8", "text/plain; Charset=\"Windows-1251\"", system, kMaxAnswerBytes),
              "\xD0\xBF\xD1\x80\xD0\xB8");
    // What the system hands back is repaired too.
    EXPECT_EQ(answerText("\x01", "text/plain; charset=windows-1251", system, kMaxAnswerBytes), "\xEF\xBF\xBD");
    // Unknown or unsupported names read as UTF-8.
    EXPECT_EQ(answerText("a\xFF", "text/plain; charset=koi8-r", system, kMaxAnswerBytes), "a\xEF\xBF\xBD");
    EXPECT_EQ(answerText("a\xFF", "text/plain; charset=cp99999", system, kMaxAnswerBytes), "a\xEF\xBF\xBD");
    // UTF-16 both ways, a surrogate pair as one character, a lone one as U+FFFD, an odd byte dropped.
    EXPECT_EQ(
        answerText(std::string("h\0\x3D\xD8\x00\xDE\x00\xD8!", 9), "x; charset=utf-16le", system, kMaxAnswerBytes),
        "h\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(answerText(std::string("\0h\0i", 4), "x; charset=UTF-16BE", system, kMaxAnswerBytes), "hi");
    // The cap counts the decoded text, and never leaves half a character.
    EXPECT_EQ(answerText("\xEF\xF0\xE8", "text/plain; charset=windows-1251", system, 5), "\xD0\xBF\xD1\x80");
    EXPECT_EQ(answerText("abc", "application/json", system, 2), "ab");
}

TEST(AnswerText, CharsetNamesMapToCodePages) {
    EXPECT_EQ(codePageOfContentType("application/json"), kCodePageUtf8);
    EXPECT_EQ(codePageOfContentType("text/html; charset=ISO-8859-1"), 28591u);
    EXPECT_EQ(codePageOfContentType("text/html;charset=koi8-r;format=x"), 20866u);
    EXPECT_EQ(codePageOfContentType("text/html; charset=no-such-set"), kCodePageUtf8);
}

}  // namespace
}  // namespace tavrio
