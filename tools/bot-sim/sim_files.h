#pragma once
// File helpers of the simulator. The panel polls the program folder once a second, so every file it may read is
// written whole: into a neighbour first, then swapped in by one rename.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace botsim {

namespace fs = std::filesystem;

// Implemented once per operating system (platform_win32.cpp, platform_posix.cpp).
fs::path executableFolder();
bool replaceFile(const fs::path& from, const fs::path& to);
// Libraries loaded from now on come from the system only, never from the program's folder (a no-op on Linux).
void loadSystemLibrariesOnly();

bool writeWhole(const fs::path& file, std::string_view content);
bool appendText(const fs::path& file, std::string_view content);
std::optional<std::string> readText(const fs::path& file);
// True when the file is gone afterwards, whether or not it was there.
bool removeFile(const fs::path& file);

}  // namespace botsim
