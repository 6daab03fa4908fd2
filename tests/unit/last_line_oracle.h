// The counter file's last line as a reader that goes through the whole text from its start sees it: lines end at CR
// or CR LF (the pair counts once), a lone LF stays in the line, and a line end at the very end closes the last line
// instead of starting an empty one. Nothing for an empty text. The one reference for the tests, the fuzz target and
// the benchmark.
#pragma once

#include <optional>
#include <string>

namespace tavrio::testing {

inline std::optional<std::string> lastLineReadFromTheStart(const std::string& text) {
    std::optional<std::string> last;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t cr = text.find('\r', i);
        last = text.substr(i, cr == std::string::npos ? std::string::npos : cr - i);
        if (cr == std::string::npos) break;
        i = cr + 1;
        if (i < text.size() && text[i] == '\n') ++i;
    }
    return last;
}

}  // namespace tavrio::testing
