// .env bytes -> settings: every field comes from one line of the text, reading is repeatable, and the mark only
// switches the decoding.
#include <algorithm>

#include "app/file_text.h"
#include "fuzz_support.h"
#include "settings/env_file.h"

using namespace tavrio;

namespace {

const EnvSettings kUnset{"\x01port", "\x01key", "\x01name"};

EnvSettings read(const std::string& text, TextCodec& codec) {
    EnvSettings settings = kUnset;
    applyEnvText(text, settings, codec);
    return settings;
}

bool operator==(const EnvSettings& a, const EnvSettings& b) {
    return a.serverPort == b.serverPort && a.apiKey == b.apiKey && a.companyName == b.companyName;
}

// `part` is `whole` with characters left out (it is what remains of a line after keys are removed).
bool isSubsequence(const std::string& part, const std::string& whole) {
    std::size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}

void checkField(const std::string& field, const std::string& unset, const std::string& text, TextCodec& codec) {
    if (field == unset) return;
    FUZZ_CHECK(field.find('\n') == std::string::npos && field.find('\r') == std::string::npos);
    FUZZ_CHECK(validUtf8(field) == field);
    FUZZ_CHECK(isSubsequence(codec.toUpper(field), codec.toUpper(text)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Latin1Codec codec;
    const std::string text = decodeFileText(bytes, codec);
    const EnvSettings settings = read(text, codec);
    checkField(settings.serverPort, kUnset.serverPort, text, codec);
    checkField(settings.apiKey, kUnset.apiKey, text, codec);
    checkField(settings.companyName, kUnset.companyName, text, codec);
    FUZZ_CHECK(read(text, codec) == settings);

    // With the mark the rest is UTF-8; without it, ANSI. Pure ASCII reads the same either way.
    const EnvSettings marked = read(decodeFileText(std::string(kUtf8Bom) + bytes, codec), codec);
    FUZZ_CHECK(marked == read(validUtf8(bytes), codec));
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) FUZZ_CHECK(marked == settings);
    return 0;
}
