// conf.ini's switch -> the auto-start decision, against a second reading of the rule: blanks dropped, the
// longest decimal number at the start, compared with 1.
#include <regex>

#include "fuzz_support.h"
#include "settings/ini_value.h"

using namespace tavrio;

namespace {

bool startsAutomatically(const std::string& value) {
    std::string compact;
    for (char c : value)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact += c;
    static const std::regex number(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)");
    std::smatch match;
    if (!std::regex_search(compact, match, number, std::regex_constants::match_continuous)) return false;
    return std::strtod(match.str().c_str(), nullptr) == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The profile reader hands over at most 254 characters.
    const std::string value(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 254));
    FUZZ_CHECK((leadingNumber(value) == 1) == startsAutomatically(value));
    return 0;
}
