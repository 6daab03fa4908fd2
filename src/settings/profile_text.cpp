#include "settings/profile_text.h"

#include <cctype>

#include "text/utf8.h"

namespace tavrio {
namespace {

std::string_view blanksTrimmed(std::string_view text) { return trimmed(text, " \t"); }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::optional<std::string> profileTextValue(std::string_view text, std::string_view section, std::string_view key) {
    enum class Where { Before, Inside, After } where = Where::Before;
    while (!text.empty() && where != Where::After) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = blanksTrimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            const bool wanted = sameName(blanksTrimmed(line.substr(1, close - 1)), section);
            // Only the first section of that name is looked in.
            if (where == Where::Inside)
                where = Where::After;
            else if (wanted)
                where = Where::Inside;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (where != Where::Inside || equals == std::string_view::npos) continue;
        if (!sameName(blanksTrimmed(line.substr(0, equals)), key)) continue;
        std::string_view value = blanksTrimmed(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

}  // namespace tavrio
