#include "win32/process_starter_win32.h"

#include "win32/wide_text.h"
#include "win32/win32.h"

#include <utility>

namespace tavrio::win32 {
namespace {

class StartedProcessWin32 final : public StartedProcess {
public:
    explicit StartedProcessWin32(HANDLE process) : process_(ownHandle(process)) {}

    std::optional<std::uint32_t> exitCode() override {
        if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
        return static_cast<std::uint32_t>(code);
    }

    bool waitForEnd(std::uint32_t milliseconds) override {
        const ULONGLONG deadline = GetTickCount64() + milliseconds;
        HANDLE process = process_.get();
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
            // Only paint messages wake the wait: the window stays drawn, but no click can start anything
            // while the panel waits.
            const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_PAINT);
            if (woke == WAIT_OBJECT_0) return true;
            if (woke != WAIT_OBJECT_0 + 1) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
            MSG message{};
            for (int painted = 0; painted < 100 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT);
                 ++painted) {
                DispatchMessageW(&message);
            }
        }
    }

private:
    UniqueHandle process_;
};

StartResult failure(DWORD error) {
    StartResult result;
    result.errorText = systemMessage(error);
    return result;
}

StartResult start(const wchar_t* applicationName, std::wstring commandLine, WindowMode mode) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(mode == WindowMode::Hidden ? SW_HIDE : SW_SHOWMINIMIZED);
    PROCESS_INFORMATION process{};

    // CreateProcessW may write into the command line, so it gets a buffer of its own.
    if (!CreateProcessW(applicationName, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return failure(GetLastError());
    }
    // Nobody waits for the new process; its handle is kept only to notice when it ends.
    CloseHandle(process.hThread);
    StartResult result;
    result.started = true;
    result.processId = process.dwProcessId;
    result.process = std::make_shared<StartedProcessWin32>(process.hProcess);
    return result;
}

}  // namespace

StartResult ProcessStarterWin32::startProgram(const std::string& applicationPath, WindowMode mode) {
    // The program is named exactly, and the command line only repeats it in quotes: a folder whose name has
    // blanks ("C:\My Bot\bot.exe") can never make Windows start "C:\My.exe" instead.
    const std::wstring path = widen(applicationPath);
    return start(path.c_str(), L"\"" + path + L"\"", mode);
}

StartResult ProcessStarterWin32::startCommandLine(const std::string& commandLine, WindowMode mode) {
    // The command's program is the system's: searched for, a "taskkill.exe" in the panel's folder or current
    // folder would run first. The command line itself goes unchanged.
    std::wstring line = widen(commandLine);
    const std::size_t first = line.find_first_not_of(L" \t");
    const std::wstring word =
        first == std::wstring::npos ? std::wstring() : line.substr(first, line.find_first_of(L" \t", first) - first);
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (word.empty() || length == 0 || length >= MAX_PATH) return failure(ERROR_FILE_NOT_FOUND);
    std::wstring program = std::wstring(system, length) + L"\\" + word;
    if (word.find(L'.') == std::wstring::npos) program += L".exe";
    return start(program.c_str(), std::move(line), mode);
}

}  // namespace tavrio::win32
