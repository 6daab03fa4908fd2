#include "settings/ini_value.h"

#include <cctype>
#include <cstdlib>

#include "settings/profile_text.h"
#include "text/utf8.h"

namespace tavrio {

std::string ReadIniValue(FileSystem& files, ProfileReader& profile, const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) {
    constexpr std::uint32_t kBufferChars = 255;
    const std::optional<std::string> head = files.readBytes(file, 0, kUtf8Bom.size());
    if (!head || !startsWithUtf8Bom(*head)) return profile.readString(file, section, key, defaultValue, kBufferChars);

    // The profile function takes the mark for text of the first line, which hides the first section; such a
    // file is read here by the same rules. A settings file is small: its head is enough.
    const std::optional<std::string> text = files.readBytes(file, 0, kIniHeadBytes);
    if (!text) return defaultValue;
    const std::string value = profileTextValue(validUtf8(std::string_view(*text).substr(kUtf8Bom.size())), section, key)
                                  .value_or(defaultValue);
    // Cut as the profile function's buffer cuts, at whole characters.
    std::string cut;
    std::size_t characters = 0;
    for (const std::string& character : splitCodePoints(value)) {
        if (++characters > kBufferChars - 1) break;
        cut += character;
    }
    return cut;
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

bool switchIsOn(const std::string& text) {
    std::string word;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word == "off" || word == "no" || word == "false") return false;
    // A number must be there to be read as 0: "x" reads as 0 too, and leaves the switch on.
    const bool startsWithNumber =
        !word.empty() && (std::isdigit(static_cast<unsigned char>(word[0])) ||
                          ((word[0] == '+' || word[0] == '-' || word[0] == '.') && word.size() > 1 &&
                           std::isdigit(static_cast<unsigned char>(word[1]))));
    return !(startsWithNumber && leadingNumber(word) == 0);
}

}  // namespace tavrio
