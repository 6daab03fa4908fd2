#include "text/utf8.h"

namespace tavrio {

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

std::string removeAll(std::string text, std::string_view what) {
    if (what.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(what, pos)) != std::string::npos; pos = hit + what.size())
        out.append(text, pos, hit - pos);
    out.append(text, pos, std::string::npos);
    return out;
}

std::string trimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

std::string signedField(long long value) { return (value < 0 ? "" : " ") + std::to_string(value); }

}  // namespace tavrio
