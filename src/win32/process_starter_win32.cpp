#include "win32/process_starter_win32.h"

#include "win32/wide_text.h"
#include "win32/win32.h"

#include <utility>

namespace tavrio::win32 {
namespace {

class StartedProcessWin32 final : public StartedProcess {
public:
    StartedProcessWin32(HANDLE process, UniqueHandle job) : process_(ownHandle(process)), job_(std::move(job)) {}

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

    bool endWithEverythingItStarted() override {
        // Exit code 1, as `taskkill /f` leaves it.
        if (job_) return TerminateJobObject(job_.get(), 1) != FALSE;
        if (WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return true;
        return TerminateProcess(process_.get(), 1) != FALSE;
    }

private:
    UniqueHandle process_;
    UniqueHandle job_;  // when supervised; its last handle closing ends everything in it
};

// A job that ends whatever is in it once its last handle closes, also when the panel is killed; empty when the
// system makes none.
UniqueHandle jobEndingWithThePanel() {
    UniqueHandle job = ownHandle(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    // Without BREAKAWAY_OK, a CreateProcess with CREATE_BREAKAWAY_FROM_JOB in the bot fails with access denied
    // instead of starting a program that outlives the job.
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    if (job && !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        job.reset();
    }
    return job;
}

StartResult failure(DWORD error) {
    StartResult result;
    result.errorText = systemMessage(error);
    return result;
}

WORD showCommand(WindowMode mode) { return static_cast<WORD>(mode == WindowMode::Hidden ? SW_HIDE : SW_SHOWMINIMIZED); }

StartResult start(const wchar_t* applicationName, std::wstring commandLine, WORD show, bool supervised) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION process{};

    // CreateProcessW may write into the command line, so it gets a buffer of its own.
    // A supervised program stays suspended until it is in its job, so that nothing it starts can escape the job.
    if (!CreateProcessW(applicationName, commandLine.data(), nullptr, nullptr, FALSE, supervised ? CREATE_SUSPENDED : 0,
                        nullptr, nullptr, &startup, &process)) {
        return failure(GetLastError());
    }
    const UniqueHandle thread = ownHandle(process.hThread);
    UniqueHandle job;
    if (supervised) {
        job = jobEndingWithThePanel();
        // Without nested jobs, a panel that already runs in one cannot put its bot into another: it runs unbound.
        if (job && !AssignProcessToJobObject(job.get(), process.hProcess)) job.reset();
        if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
            const DWORD error = GetLastError();
            TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hProcess);
            return failure(error);
        }
    }
    // Nobody waits for the new process; its handle is kept only to notice when it ends.
    StartResult result;
    result.started = true;
    result.processId = process.dwProcessId;
    result.process = std::make_shared<StartedProcessWin32>(process.hProcess, std::move(job));
    return result;
}

}  // namespace

StartResult ProcessStarterWin32::startSupervised(const std::string& applicationPath, WindowMode mode) {
    // The program is named exactly, and the command line only repeats it in quotes: a folder whose name has blanks
    // ("C:\My Bot\bot.exe") can never make Windows start "C:\My.exe" instead.
    const std::wstring path = widen(applicationPath);
    return start(path.c_str(), L"\"" + path + L"\"", showCommand(mode), true);
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
    return start(program.c_str(), std::move(line), showCommand(mode), false);
}

StartResult ProcessStarterWin32::startNotepad(const std::string& filePath) {
    // Named exactly, as the bot is: a "notepad.exe" in the panel's folder or on the PATH never runs instead.
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return failure(ERROR_FILE_NOT_FOUND);
    const std::wstring program = std::wstring(windows, length) + L"\\notepad.exe";
    return start(program.c_str(), L"\"" + program + L"\" \"" + widen(filePath) + L"\"", SW_SHOWNORMAL, false);
}

}  // namespace tavrio::win32
