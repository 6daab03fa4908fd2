#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "test_support.h"
#include "win32/wide_text.h"
#include "win32/win32.h"

namespace tavrio::win32::testing {

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    const std::wstring folder = std::wstring(base) + L"tavrio-win32-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(++counter);
    CreateDirectoryW(folder.c_str(), nullptr);
    path_ = narrow(folder);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(widen(path_)), ignored);
}

void TempFolder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(std::filesystem::path(widen(at(name))), std::ios::binary) << bytes;
}

std::string readWhole(const std::string& path) {
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tavrio::win32::testing

int main(int argc, char** argv) {
    // Started by the process tests: report the show mode we were given, then end.
    wchar_t report[MAX_PATH * 2] = {};
    if (GetEnvironmentVariableW(tavrio::win32::testing::kChildReportVariable, report, MAX_PATH * 2) > 0) {
        wchar_t spawn[MAX_PATH * 2] = {};
        if (GetEnvironmentVariableW(tavrio::win32::testing::kChildSpawnVariable, spawn, MAX_PATH * 2) > 0) {
            SetEnvironmentVariableW(tavrio::win32::testing::kChildSpawnVariable, nullptr);
            using tavrio::win32::testing::kChildBreakawayVariable, tavrio::win32::testing::kChildSpawnProgramVariable;
            wchar_t program[MAX_PATH * 2] = {};
            if (GetEnvironmentVariableW(kChildSpawnProgramVariable, program, MAX_PATH * 2) == 0)
                GetModuleFileNameW(nullptr, program, MAX_PATH);
            const DWORD flags =
                GetEnvironmentVariableW(kChildBreakawayVariable, nullptr, 0) > 0 ? CREATE_BREAKAWAY_FROM_JOB : 0;
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION child{};
            if (CreateProcessW(program, nullptr, nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &child)) {
                CloseHandle(child.hThread);
                CloseHandle(child.hProcess);
                std::ofstream(std::filesystem::path(spawn)) << child.dwProcessId;
            }
        }
        wchar_t sleepMs[16] = {};
        if (GetEnvironmentVariableW(tavrio::win32::testing::kChildSleepVariable, sleepMs, 16) > 0)
            Sleep(static_cast<DWORD>(_wtoi(sleepMs)));
        STARTUPINFOW startup{};
        GetStartupInfoW(&startup);
        std::ofstream(std::filesystem::path(report))
            << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
