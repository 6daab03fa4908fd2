// Shared by the Win32 layer's tests: a fresh folder per test and the child-process mode of the test program.
#pragma once

#include <string>

namespace tavrio::win32::testing {

// When set, the test program started as a child writes what it was started with into this file and ends.
inline constexpr wchar_t kChildReportVariable[] = L"TAVRIO_WIN32_TEST_CHILD_REPORT";
// When set too, the child first sleeps this many milliseconds.
inline constexpr wchar_t kChildSleepVariable[] = L"TAVRIO_WIN32_TEST_CHILD_SLEEP_MS";
// When set too, the child first starts a child of its own in the same mode and writes that one's id into this file.
inline constexpr wchar_t kChildSpawnVariable[] = L"TAVRIO_WIN32_TEST_CHILD_SPAWN";
// With the spawn: the program it starts instead of itself, and, when set, with CREATE_BREAKAWAY_FROM_JOB.
inline constexpr wchar_t kChildSpawnProgramVariable[] = L"TAVRIO_WIN32_TEST_CHILD_SPAWN_PROGRAM";
inline constexpr wchar_t kChildBreakawayVariable[] = L"TAVRIO_WIN32_TEST_CHILD_BREAKAWAY";

// A new empty folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string at(const std::string& name) const { return path_ + "\\" + name; }
    void write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string readWhole(const std::string& path);

}  // namespace tavrio::win32::testing
