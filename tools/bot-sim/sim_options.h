#pragma once
// Settings of the simulator: PORT and TAVRIO_API_KEY from the folder's .env (shared with the panel), everything
// else from bot-sim.ini, section [sim].
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace botsim {

struct SimOptions {
    unsigned short port = 3033;
    std::string key = "qvx";
    std::string phone = "919876543210";
    std::string name = "Demo Shop";
    int linkAfterSeconds = -1;  // negative: link only by hand
    int qrRefreshSeconds = 20;
    int startDelayMs = 0;
    int ioTimeoutMs = 10000;
};

using KeyValues = std::map<std::string, std::string>;

// KEY=VALUE lines, LF or CR LF; blank lines and lines starting with # are skipped; keys are case-sensitive.
KeyValues parseEnv(std::string_view text);
// Keys of one section of an INI text, lower-cased; section and key names match in any case, as in Windows.
KeyValues parseIniSection(std::string_view text, std::string_view section);
// Values that are not usable keep their default and add a sentence to warnings.
SimOptions makeOptions(const KeyValues& env, const KeyValues& sim, std::vector<std::string>& warnings);
SimOptions loadOptions(const std::filesystem::path& folder, std::vector<std::string>& warnings);

}  // namespace botsim
