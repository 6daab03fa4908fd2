// Shared by the fuzz targets: a code page that is not UTF-8, so conversions do real work.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "text/utf8.h"

namespace tavrio::fuzz {

// ANSI is Latin-1; with `doubleByte`, characters above U+00FF take two bytes, as in an East Asian code page.
class Latin1Codec final : public TextCodec {
public:
    bool doubleByte = false;

    std::string ansiToUtf8(const std::string& bytes) override {
        std::string out;
        for (unsigned char c : bytes) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
    std::string utf8ToAnsi(const std::string& utf8) override {
        std::string out;
        for (const std::string& ch : splitCodePoints(utf8)) {
            const std::uint32_t cp = codePoint(ch);
            if (cp <= 0xFF)
                out += static_cast<char>(cp);
            else if (doubleByte)
                out += std::string{static_cast<char>(0x81 + cp % 0x7E), static_cast<char>(0x40 + cp % 0xBF)};
            else
                out += '?';
        }
        return out;
    }
    std::string toUpper(const std::string& utf8) override {
        std::string out = utf8;
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return out;
    }

    // A malformed byte stands for itself.
    static std::uint32_t codePoint(std::string_view ch) {
        const auto lead = static_cast<unsigned char>(ch[0]);
        if (ch.size() == 1) return lead;
        std::uint32_t cp = lead & (0x7F >> ch.size());
        for (std::size_t i = 1; i < ch.size(); ++i) cp = (cp << 6) | (static_cast<unsigned char>(ch[i]) & 0x3F);
        return cp;
    }
};

// Fails loudly, so the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                    \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "oracle failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                        \
        }                                                                                        \
    } while (0)

}  // namespace tavrio::fuzz
