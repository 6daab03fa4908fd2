#include "settings/ini_value.h"

#include <cctype>
#include <cstdlib>

namespace tavrio {

std::string ReadIniValue(ProfileReader& profile, const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) {
    constexpr std::uint32_t kBufferChars = 255;
    return profile.readString(file, section, key, defaultValue, kBufferChars);
}

double leadingNumber(const std::string& text) {
    std::string compact;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') compact += c;
    // Accept only a plain decimal prefix: sign, digits, point, digits, exponent.
    std::size_t i = 0;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) ++i;
    const std::size_t digitsStart = i;
    while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) ++i;
    if (i < compact.size() && compact[i] == '.') {
        ++i;
        while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && compact[digitsStart] == '.')) return 0;
    if (i < compact.size() && (compact[i] == 'e' || compact[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) ++j;
        if (j < compact.size() && std::isdigit(static_cast<unsigned char>(compact[j]))) {
            while (j < compact.size() && std::isdigit(static_cast<unsigned char>(compact[j]))) ++j;
            i = j;
        }
    }
    return std::strtod(compact.substr(0, i).c_str(), nullptr);
}

}  // namespace tavrio
