// Stands in for the system's taskkill when placed beside the panel, which finds it there first: the same kill
// with the same arguments, but late, as on a slow or busy machine. Each run that has ended adds a line to
// "taskkill-runs.txt" beside it, so that a test knows when the late kill is over.
#include <windows.h>

#include <string>

namespace {

constexpr DWORD kLateByMs = 2500;

std::wstring ownFolder() {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

// The command line without the program's own name.
std::wstring arguments() {
    const wchar_t* line = GetCommandLineW();
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    return line;
}

}  // namespace

int main() {
    Sleep(kLateByMs);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    // Named in full: searched for, it would be this program again.
    const std::wstring taskkill = std::wstring(system) + L"\\taskkill.exe";
    std::wstring commandLine = L"\"" + taskkill + L"\"" + arguments();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    DWORD code = 1;
    if (CreateProcessW(taskkill.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    const HANDLE runs =
        CreateFileW((ownFolder() + L"\\taskkill-runs.txt").c_str(), FILE_APPEND_DATA,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (runs != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(runs, "ended\n", 6, &written, nullptr);
        CloseHandle(runs);
    }
    return static_cast<int>(code);
}
