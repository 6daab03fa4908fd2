#include "text/utf8.h"

#include <cstdint>

namespace tavrio {
namespace {

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::vector<std::string> splitCodePoints(std::string_view utf8) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t len = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 1;
        if (i + len > utf8.size()) len = 1;
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
                len = 1;
                break;
            }
        }
        out.emplace_back(utf8.substr(i, len));
        i += len;
    }
    return out;
}

std::string validUtf8(std::string_view bytes) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += bytes[i++];
            continue;
        }
        // Length and the allowed range of the second byte, which rules out overlong forms, surrogates and
        // code points above U+10FFFF.
        std::size_t len = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
            len = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            len = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        else if (lead >= 0xF0 && lead <= 0xF4)
            len = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        std::size_t good = len == 0 ? 0 : 1;
        while (good > 0 && good < len && i + good < bytes.size()) {
            const auto c = static_cast<unsigned char>(bytes[i + good]);
            if (c < (good == 1 ? low : 0x80) || c > (good == 1 ? high : 0xBF)) break;
            ++good;
        }
        if (len != 0 && good == len) {
            out.append(bytes.substr(i, len));
            i += len;
        } else {
            out += kReplacement;  // the maximal bad prefix counts once, as Unicode recommends
            i += good == 0 ? 1 : good;
        }
    }
    return out;
}

std::string utf16ToUtf8(std::string_view bytes, bool littleEndian) {
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * i]), b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return littleEndian ? a | (b << 8) : (a << 8) | b;
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
        }
    }
    return out;
}

std::string removeAll(std::string text, std::string_view what) { return replaceAll(std::move(text), what, ""); }

std::string replaceAll(std::string text, std::string_view what, std::string_view with) {
    if (what.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(what, pos)) != std::string::npos; pos = hit + what.size())
        out.append(text, pos, hit - pos).append(with);
    out.append(text, pos, std::string::npos);
    return out;
}

std::string_view trimmed(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

std::string signedField(long long value) { return (value < 0 ? "" : " ") + std::to_string(value); }

}  // namespace tavrio
