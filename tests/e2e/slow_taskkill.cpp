// Stands in for taskkill: the same forced kill of every process of the image named last on its command line
// ("taskkill /f /im bot.exe"), but late, as on a busy machine. It notes in "taskkill-runs.txt" in its current
// folder (the panel's, which starts it) that it started and, once its kill is over, that it ended.
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {

void note(const char* line) {
    if (FILE* runs = std::fopen("taskkill-runs.txt", "a")) {
        std::fputs(line, runs);
        std::fclose(runs);
    }
}

}  // namespace

int main() {
    note("started\n");
    Sleep(1500);  // late enough to meet the bot that START launches after its one-second wait
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); count > 1 && more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, args[count - 1]) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    note("ended\n");
    return 0;
}
