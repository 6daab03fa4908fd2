#include "sim_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "sim_files.h"

namespace botsim {
namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Calls f with each trimmed, non-empty line; a UTF-8 byte order mark (Notepad writes one) is dropped.
template <typename F>
void forEachLine(std::string_view text, F f) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trim(text.substr(0, end));
        if (!line.empty()) f(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

bool splitPair(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return !key.empty();
}

void takeNumber(const KeyValues& values, const char* key, int low, int high, int& target,
                std::vector<std::string>& warnings) {
    const auto it = values.find(key);
    if (it == values.end()) return;
    int n = 0;
    const char* first = it->second.data();
    const char* last = first + it->second.size();
    const auto [end, ec] = std::from_chars(first, last, n);
    if (ec == std::errc() && end == last && n >= low && n <= high)
        target = n;
    else
        warnings.push_back(std::string(key) + " \"" + it->second + "\" is not a number from " + std::to_string(low) +
                           " to " + std::to_string(high) + "; keeping " + std::to_string(target) + ".");
}

}  // namespace

KeyValues parseEnv(std::string_view text) {
    KeyValues values;
    forEachLine(text, [&](std::string_view line) {
        std::string_view key, value;
        if (line.front() != '#' && splitPair(line, key, value)) values[std::string(key)] = std::string(value);
    });
    return values;
}

KeyValues parseIniSection(std::string_view text, std::string_view section) {
    KeyValues values;
    const std::string wanted = lower(section);
    bool inside = false;
    forEachLine(text, [&](std::string_view line) {
        if (line.front() == ';' || line.front() == '#') return;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inside = close != std::string_view::npos && lower(trim(line.substr(1, close - 1))) == wanted;
            return;
        }
        std::string_view key, value;
        if (inside && splitPair(line, key, value)) values[lower(key)] = std::string(value);
    });
    return values;
}

SimOptions makeOptions(const KeyValues& env, const KeyValues& sim, std::vector<std::string>& warnings) {
    SimOptions options;
    int port = options.port;
    takeNumber(env, "PORT", 1, 65535, port, warnings);
    takeNumber(sim, "port", 1, 65535, port, warnings);
    options.port = static_cast<unsigned short>(port);
    if (env.count("TAVRIO_API_KEY")) options.key = env.at("TAVRIO_API_KEY");
    if (sim.count("key")) options.key = sim.at("key");
    if (sim.count("phone")) options.phone = sim.at("phone");
    if (sim.count("name")) options.name = sim.at("name");
    takeNumber(sim, "link_after_seconds", -1, 86400, options.linkAfterSeconds, warnings);
    takeNumber(sim, "qr_refresh_seconds", 1, 86400, options.qrRefreshSeconds, warnings);
    takeNumber(sim, "start_delay_ms", 0, 600000, options.startDelayMs, warnings);
    takeNumber(sim, "io_timeout_ms", 50, 600000, options.ioTimeoutMs, warnings);
    return options;
}

SimOptions loadOptions(const std::filesystem::path& folder, std::vector<std::string>& warnings) {
    const KeyValues env = parseEnv(readText(folder / ".env").value_or(""));
    const KeyValues sim = parseIniSection(readText(folder / "bot-sim.ini").value_or(""), "sim");
    return makeOptions(env, sim, warnings);
}

}  // namespace botsim
