#include "settings/env_file.h"

#include "text/utf8.h"

namespace tavrio {
namespace {

// For each of the four lines that count: whether the value of a key is taken from the line as written or in
// capitals. The company name is always capitals; on line 4 its key is also looked for in capitals, so any
// case matches there.
struct LineRule {
    bool portInCapitals;
    bool keyInCapitals;
    bool companyTestInCapitals;
};
constexpr LineRule kLineRules[4] = {
    {false, false, false},
    {true, false, false},
    {false, true, false},
    {false, true, true},
};

}  // namespace

void applyEnvText(const std::string& fileText, EnvSettings& settings, TextCodec& codec) {
    // Files saved by Windows editors end their lines with CR LF; that pair ends a line just as LF does.
    std::string text;
    text.reserve(fileText.size());
    for (std::size_t i = 0; i < fileText.size(); ++i) {
        if (fileText[i] == '\r' && i + 1 < fileText.size() && fileText[i + 1] == '\n') continue;
        text += fileText[i];
    }
    text = std::string(trimmed(std::string_view(text).substr(0, text.find('\r'))));
    if (text.empty()) return;

    std::size_t start = 0;
    for (const LineRule& rule : kLineRules) {
        if (start > text.size()) break;  // fewer than four lines: read the ones there are
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string piece(trimmed(std::string_view(text).substr(start, end - start)));
        start = end + 1;
        const std::string upper = codec.toUpper(piece);

        if (contains(piece, "PORT")) settings.serverPort = removeAll(rule.portInCapitals ? upper : piece, "PORT=");
        if (contains(piece, "TAVRIO_API_KEY"))
            settings.apiKey = removeAll(rule.keyInCapitals ? upper : piece, "TAVRIO_API_KEY=");
        if (contains(rule.companyTestInCapitals ? upper : piece, "COMPNEYNAME"))
            settings.companyName = removeAll(upper, "COMPNEYNAME=");
    }
}

}  // namespace tavrio
