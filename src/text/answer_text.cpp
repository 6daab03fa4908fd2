#include "text/answer_text.h"

#include <algorithm>

#include "text/utf8.h"

namespace tavrio {
namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The digits after `prefix` in `name` (at most five), or 0.
std::uint32_t numberAfter(const std::string& name, std::string_view prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 5) return 0;
    std::uint32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return n;
}

std::uint32_t codePageOfCharset(const std::string& name) {
    struct Known {
        const char* name;
        std::uint32_t codePage;
    };
    static constexpr Known kKnown[] = {
        {"utf-8", kCodePageUtf8},
        {"utf8", kCodePageUtf8},
        {"us-ascii", 20127},
        {"ascii", 20127},
        {"latin1", 28591},
        {"iso-8859-1", 28591},
        {"koi8-r", 20866},
        {"koi8-u", 21866},
        {"shift_jis", 932},
        {"shift-jis", 932},
        {"euc-jp", 20932},
        {"gb2312", 936},
        {"gbk", 936},
        {"gb18030", 54936},
        {"big5", 950},
        {"euc-kr", 949},
        {"ks_c_5601-1987", 949},
        {"utf-16", kCodePageUtf16Le},
        {"utf-16le", kCodePageUtf16Le},
        {"utf-16be", kCodePageUtf16Be},
    };
    for (const Known& known : kKnown) {
        if (name == known.name) return known.codePage;
    }
    if (std::uint32_t n = numberAfter(name, "windows-"); n >= 1250 && n <= 1258) return n;
    if (std::uint32_t n = numberAfter(name, "iso-8859-"); n >= 2 && n <= 15) return 28590 + n;
    if (std::uint32_t n = numberAfter(name, "cp"); n != 0) return n;
    return 0;
}

}  // namespace

std::uint32_t codePageOfContentType(std::string_view contentType) {
    std::string type(contentType);
    std::transform(type.begin(), type.end(), type.begin(), lowerAscii);
    const std::size_t at = type.find("charset=");
    if (at == std::string::npos) return kCodePageUtf8;
    std::string name = type.substr(at + 8);
    name = std::string(trimmed(std::string_view(name).substr(0, name.find(';')), " \t\"'"));
    const std::uint32_t codePage = codePageOfCharset(name);
    return codePage == 0 ? kCodePageUtf8 : codePage;
}

std::string cutUtf8(std::string text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

std::string answerText(std::string_view bytes, std::string_view contentType, const CodePageDecoder& system,
                       std::size_t limit) {
    const std::uint32_t codePage = codePageOfContentType(contentType);
    std::optional<std::string> decoded;
    if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be)
        decoded = utf16ToUtf8(bytes, codePage == kCodePageUtf16Le);
    else if (codePage != kCodePageUtf8)
        decoded = system(bytes, codePage);
    // A code page name this system cannot convert reads like an unknown one: as UTF-8.
    std::string text = validUtf8(decoded ? *decoded : bytes);
    // Decoding can make the text longer than the bytes that were read.
    return cutUtf8(std::move(text), limit);
}

}  // namespace tavrio
