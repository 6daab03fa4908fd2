// HTTP answer bytes + Content-Type -> the text shown: valid UTF-8, within the cap, cut only at a character's
// end, ASCII unchanged when no other charset is named.
#include "fuzz_support.h"
#include "text/answer_text.h"

using namespace tavrio;

namespace {

// Latin-1 and a code page that triples each byte (so decoding outgrows the cap) convert; 1251 hands its bytes
// over unconverted, so the result must still be repaired.
std::optional<std::string> fakeCodePages(std::string_view bytes, std::uint32_t codePage) {
    fuzz::Latin1Codec latin1;
    if (codePage == 28591) return latin1.ansiToUtf8(std::string(bytes));
    if (codePage == 932) {
        std::string out;
        for (char c : bytes) out += (c & 0x80) ? "\xE3\x81\x82" : std::string(1, c);
        return out;
    }
    if (codePage == 1251) return std::string(bytes);
    return std::nullopt;
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (c & 0x80) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // First byte: the cap; then the Content-Type up to the first LF; then the body.
    const std::size_t limit = data[0] == 0xFF ? kMaxAnswerBytes : data[0] % 64 + 1;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t lf = rest.find('\n');
    const std::string_view contentType = rest.substr(0, lf), body = lf == rest.npos ? "" : rest.substr(lf + 1);

    const std::string shown = answerText(body, contentType, fakeCodePages, limit);
    const std::string whole = answerText(body, contentType, fakeCodePages, std::string::npos);
    FUZZ_CHECK(validUtf8(shown) == shown && validUtf8(whole) == whole);
    FUZZ_CHECK(shown.size() <= limit);
    FUZZ_CHECK(whole.compare(0, shown.size(), shown) == 0);
    FUZZ_CHECK(shown.size() == whole.size() || shown.size() + 4 > limit);
    const std::uint32_t codePage = codePageOfContentType(contentType);
    if (isAscii(body) && codePage != kCodePageUtf16Le && codePage != kCodePageUtf16Be)
        FUZZ_CHECK(shown == body.substr(0, limit));
    return 0;
}
