#include "platform/win32/process_starter_win32.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32.h"

namespace tavrio::win32 {
namespace {

StartResult start(const wchar_t* applicationName, std::wstring commandLine, WindowMode mode) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(mode == WindowMode::Hidden ? SW_HIDE : SW_SHOWMINIMIZED);
    PROCESS_INFORMATION process{};

    StartResult result;
    // CreateProcessW may write into the command line, so it gets a buffer of its own.
    if (!CreateProcessW(applicationName, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        result.errorCode = GetLastError();
        result.errorText = systemMessage(result.errorCode);
        return result;
    }
    // Nobody waits for the new process.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.started = true;
    result.processId = process.dwProcessId;
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
    return start(nullptr, widen(commandLine), mode);
}

}  // namespace tavrio::win32
