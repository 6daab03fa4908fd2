#include <windows.h>

#include "sim_files.h"

namespace botsim {

fs::path executableFolder() {
    // The panel starts the bot without setting its working folder, so the folder must come from the program's path.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return fs::current_path();
        if (n < buffer.size()) {
            buffer.resize(n);
            return fs::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

void loadSystemLibrariesOnly() {
    // mswsock is delay-loaded for this moment: a DLL that is not a known DLL would else be looked for in the
    // bot's folder first, and anyone may write there.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool replaceFile(const fs::path& from, const fs::path& to) {
    // The panel may hold the target open for a moment while it reads it, and a rename onto a file that is open
    // without delete sharing fails; a short retry rides that out.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return false;
        Sleep(25);
    }
    return false;
}

}  // namespace botsim
