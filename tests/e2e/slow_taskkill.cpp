// Stands in for the system's taskkill when placed beside the panel, which finds it there first: the same kill
// with the same arguments, but late, as on a busy machine. Each run adds a line to "taskkill-runs.txt" beside
// it once the kill has ended.
#include <windows.h>

#include <shlwapi.h>

#include <cstdio>
#include <string>

int main() {
    Sleep(1500);  // late enough to meet the bot that START launches after its one-second wait
    wchar_t system[MAX_PATH] = {}, own[MAX_PATH * 4] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    // Named in full: searched for, it would be this program again.
    const std::wstring taskkill = std::wstring(system) + L"\\taskkill.exe";
    std::wstring commandLine = L"\"" + taskkill + L"\" " + PathGetArgsW(GetCommandLineW());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(taskkill.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    GetModuleFileNameW(nullptr, own, MAX_PATH * 4);
    PathRemoveFileSpecW(own);
    if (FILE* runs = _wfopen((std::wstring(own) + L"\\taskkill-runs.txt").c_str(), L"a")) {
        std::fputs("ended\n", runs);
        std::fclose(runs);
    }
    return 0;
}
