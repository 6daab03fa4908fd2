#include <cstdio>

#include "sim_files.h"

namespace botsim {

fs::path executableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

void loadSystemLibrariesOnly() {}

bool replaceFile(const fs::path& from, const fs::path& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

}  // namespace botsim
