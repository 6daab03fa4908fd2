// The small services against the real system: files, the clock, text, profile strings, processes, the program's own
// data.
#include <gtest/gtest.h>

#include "app/bot_life.h"
#include "test_support.h"
#include "win32/clock_win32.h"
#include "win32/file_system_win32.h"
#include "win32/process_starter_win32.h"
#include "win32/profile_reader_win32.h"
#include "win32/program_info.h"
#include "win32/single_instance.h"
#include "win32/text_codec_win32.h"
#include "win32/wide_text.h"
#include "win32/win32.h"

namespace tavrio::win32 {
namespace {

using testing::TempFolder;

// The test program itself, which the process tests start as a child.
std::string self() { return programFolder() + "\\win32_tests.exe"; }

TEST(FileSystemWin32, OnlyPlainFilesCountAsMarkers) {
    TempFolder folder;
    FileSystemWin32 files;
    folder.write("qr.txt", "x");
    folder.write("hidden.txt", "x");
    folder.write("system.txt", "x");
    SetFileAttributesW(widen(folder.at("hidden.txt")).c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(widen(folder.at("system.txt")).c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryW(widen(folder.at("ws.txt")).c_str(), nullptr);

    EXPECT_TRUE(files.isPlainFile(folder.at("qr.txt")));
    EXPECT_FALSE(files.isPlainFile(folder.at("hidden.txt")));
    EXPECT_FALSE(files.isPlainFile(folder.at("system.txt")));
    EXPECT_FALSE(files.isPlainFile(folder.at("ws.txt")));
    EXPECT_FALSE(files.isPlainFile(folder.at("missing.txt")));
}

TEST(FileSystemWin32, ReadsRangesAndNeverPastTheEnd) {
    TempFolder folder;
    FileSystemWin32 files;
    folder.write("counter.txt", std::string("a\r\nb\r\n\0z", 8));

    EXPECT_EQ(files.fileSize(folder.at("counter.txt")), 8u);
    EXPECT_EQ(files.readBytes(folder.at("counter.txt"), 0, UINT64_MAX), std::string("a\r\nb\r\n\0z", 8));
    EXPECT_EQ(files.readBytes(folder.at("counter.txt"), 3, 3), "b\r\n");
    EXPECT_EQ(files.readBytes(folder.at("counter.txt"), 6, 100), std::string("\0z", 2));
    EXPECT_EQ(files.readBytes(folder.at("counter.txt"), 50, 10), "");
    EXPECT_EQ(files.readBytes(folder.at("missing.txt"), 0, 10), std::nullopt);
    EXPECT_EQ(files.fileSize(folder.at("missing.txt")), std::nullopt);
}

TEST(FileSystemWin32, ReadsAFileThatTheBotHoldsOpenForWriting) {
    TempFolder folder;
    FileSystemWin32 files;
    folder.write("qr.txt", "code");
    UniqueHandle writer = ownHandle(CreateFileW(widen(folder.at("qr.txt")).c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(files.readBytes(folder.at("qr.txt"), 0, 100), "code");
}

TEST(FileSystemWin32, DeleteReportsWhetherTheFileWentAway) {
    TempFolder folder;
    FileSystemWin32 files;
    folder.write("session.db", "s");
    EXPECT_TRUE(files.deleteFile(folder.at("session.db")));
    EXPECT_FALSE(files.isPlainFile(folder.at("session.db")));
    EXPECT_FALSE(files.deleteFile(folder.at("session.db")));
}

TEST(FileSystemWin32, NamesOutsideAsciiReachTheSystemIntact) {
    TempFolder folder;
    FileSystemWin32 files;
    const std::string name = folder.at("\xD0\xBF\xD0\xB0\xD0\xBD\xD0\xB5\xD0\xBB\xD1\x8C.txt");  // "панель.txt"
    folder.write("\xD0\xBF\xD0\xB0\xD0\xBD\xD0\xB5\xD0\xBB\xD1\x8C.txt", "ok");
    EXPECT_TRUE(files.isPlainFile(name));
    EXPECT_EQ(files.readBytes(name, 0, 10), "ok");
}

TEST(FileSystemWin32, AppendsBesideOtherWritersAndRenamesOverTheOldFile) {
    TempFolder folder;
    FileSystemWin32 files;
    const std::string log = folder.at("TavrioPanel.log"), old = folder.at("TavrioPanel.log.1");
    EXPECT_TRUE(files.appendBytes(log, "a\r\n"));  // made when missing
    // Another copy of the panel appending, sharing as it does, holds the file open.
    UniqueHandle other = ownHandle(CreateFileW(widen(log).c_str(), FILE_APPEND_DATA,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(other.get(), "b\r\n", 3, &written, nullptr));
    EXPECT_TRUE(files.appendBytes(log, "c\r\n"));
    other.reset();

    folder.write("TavrioPanel.log.1", "older");
    EXPECT_TRUE(files.renameReplacing(log, old));
    EXPECT_EQ(testing::readWhole(old), "a\r\nb\r\nc\r\n");
    EXPECT_FALSE(files.renameReplacing(log, old));  // gone

    // Refused: a file held without write sharing, a missing folder, a read-only file (where the mark is enforced:
    // Wine run as root ignores it).
    UniqueHandle locker = ownHandle(CreateFileW(widen(old).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(files.appendBytes(old, "x"));
    locker.reset();
    EXPECT_FALSE(files.appendBytes(folder.at("missing\\TavrioPanel.log"), "x"));
    SetFileAttributesW(widen(old).c_str(), FILE_ATTRIBUTE_READONLY);
    const bool enforced = !ownHandle(
        CreateFileW(widen(old).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (enforced) {
        EXPECT_FALSE(files.appendBytes(old, "x"));
    }
    SetFileAttributesW(widen(old).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(testing::readWhole(old), "a\r\nb\r\nc\r\n");
}

TEST(ClockWin32, LocalTimeLessItsOffsetIsUtcNow) {
    const auto ticks = [](const SYSTEMTIME& time) {
        FILETIME out{};
        SystemTimeToFileTime(&time, &out);
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime);
    };
    SYSTEMTIME before{}, after{};
    GetSystemTime(&before);
    const LocalTime t = ClockWin32().localTime();
    GetSystemTime(&after);
    const auto w = [](int value) { return static_cast<WORD>(value); };
    const SYSTEMTIME local{w(t.year), w(t.month), 0, w(t.day), w(t.hour), w(t.minute), w(t.second), w(t.millisecond)};
    const std::int64_t utc = ticks(local) - t.utcOffsetMinutes * 600'000'000LL;
    EXPECT_LE(ticks(before), utc);
    EXPECT_LE(utc, ticks(after));
}

TEST(TextCodecWin32, ConvertsThroughTheAnsiCodePage) {
    TextCodecWin32 codec;
    EXPECT_EQ(codec.utf8ToAnsi("plain ASCII 123"), "plain ASCII 123");
    EXPECT_EQ(codec.ansiToUtf8(""), "");
    if (GetACP() != 1252) GTEST_SKIP() << "the checks below are for code page 1252, this system uses " << GetACP();
    EXPECT_EQ(codec.utf8ToAnsi("Gr\xC3\xBC\xC3\x9F"
                               "e"),
              "Gr\xFC\xDF"
              "e");  // "Grüße"
    EXPECT_EQ(codec.ansiToUtf8("Gr\xFC\xDF"
                               "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(codec.utf8ToAnsi("\xE4\xB8\xAD"), "?");  // a character 1252 cannot hold
}

TEST(TextCodecWin32, UpperCaseIsTheSystemsNotOnlyAscii) {
    TextCodecWin32 codec;
    EXPECT_EQ(codec.toUpper("demo shop 7"), "DEMO SHOP 7");
    EXPECT_EQ(codec.toUpper("\xC3\xA4"
                            "b\xD0\xB4"),
              "\xC3\x84"
              "B\xD0\x94");  // "äbд" -> "ÄBД"
}

TEST(ProfileReaderWin32, ReadsKeysAndFallsBackToTheDefault) {
    TempFolder folder;
    ProfileReaderWin32 profile;
    folder.write("conf.ini", "[tavriobot]\r\nAutostrat = 1 \r\nLong=abcdef\r\n");
    const std::string ini = folder.at("conf.ini");

    EXPECT_EQ(profile.readString(ini, "tavriobot", "Autostrat", "0", 255), "1");
    EXPECT_EQ(profile.readString(ini, "TAVRIOBOT", "autostrat", "0", 255), "1");
    EXPECT_EQ(profile.readString(ini, "tavriobot", "Missing", "0", 255), "0");
    EXPECT_EQ(profile.readString(folder.at("none.ini"), "tavriobot", "Autostrat", "0", 255), "0");
    EXPECT_EQ(profile.readString(ini, "tavriobot", "Long", "", 4), "abc");
    EXPECT_EQ(profile.readString(ini, "tavriobot", "Long", "", 0), "");
}

class ProcessStarterWin32Test : public ::testing::Test {
protected:
    // The test program itself, started as a child that writes its show mode into `report`.
    std::string startSelf(WindowMode mode) {
        SetEnvironmentVariableW(testing::kChildReportVariable, widen(report).c_str());
        const StartResult result = processes.startSupervised(self(), mode);
        SetEnvironmentVariableW(testing::kChildReportVariable, nullptr);
        EXPECT_TRUE(result.started) << result.errorText;
        EXPECT_NE(result.processId, 0u);
        for (int i = 0; i < 200 && testing::readWhole(report).empty(); ++i) Sleep(50);
        return testing::readWhole(report);
    }

    TempFolder folder;
    std::string report = folder.at("report.txt");
    ProcessStarterWin32 processes;
};

TEST_F(ProcessStarterWin32Test, StartsHiddenOrMinimized) {
    EXPECT_EQ(startSelf(WindowMode::Hidden), std::to_string(SW_HIDE));
    DeleteFileW(widen(report).c_str());
    EXPECT_EQ(startSelf(WindowMode::MinimizedWithFocus), std::to_string(SW_SHOWMINIMIZED));
}

// While the panel waits for a program to end, its window is repainted, but no click or other input is handled.
TEST_F(ProcessStarterWin32Test, WaitingForTheEndRepaintsButTakesNoInput) {
    static int paints = 0, inputs = 0;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            BeginPaint(hwnd, &paint);
            EndPaint(hwnd, &paint);
            ++paints;
            return 0;
        }
        if (message == WM_LBUTTONDOWN) ++inputs;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavrioWaitTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"TavrioWaitTest", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    paints = 0;

    SetEnvironmentVariableW(testing::kChildSleepVariable, L"1500");
    SetEnvironmentVariableW(testing::kChildReportVariable, widen(report).c_str());
    const StartResult child = processes.startSupervised(self(), WindowMode::Hidden);
    SetEnvironmentVariableW(testing::kChildReportVariable, nullptr);
    SetEnvironmentVariableW(testing::kChildSleepVariable, nullptr);
    ASSERT_TRUE(child.started);
    PostMessageW(window, WM_LBUTTONDOWN, 0, 0);
    InvalidateRect(window, nullptr, TRUE);
    EXPECT_FALSE(child.process->waitForEnd(100)) << "a bounded wait";
    EXPECT_EQ(child.process->exitCode(), std::nullopt);
    EXPECT_TRUE(child.process->waitForEnd(20000));
    EXPECT_EQ(child.process->exitCode(), std::optional<std::uint32_t>(0));
    EXPECT_GE(paints, 1);
    EXPECT_EQ(inputs, 0);
    MSG message;
    while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    EXPECT_EQ(inputs, 1) << "the input waited for its turn";
    DestroyWindow(window);
}

TEST_F(ProcessStarterWin32Test, AMissingProgramIsReportedWithTheSystemsText) {
    const StartResult result = processes.startSupervised(folder.at("bot.exe"), WindowMode::Hidden);
    EXPECT_FALSE(result.started);
    EXPECT_EQ(result.errorText, systemMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(result.errorText.back(), '\n');
}

TEST_F(ProcessStarterWin32Test, AFolderWithBlanksNeverStartsAnotherProgram) {
    // "<folder>\My Bot\bot.exe" is missing, while "<folder>\My.exe" exists: only the named file may start.
    CopyFileW(widen(self()).c_str(), widen(folder.at("My.exe")).c_str(), FALSE);
    SetEnvironmentVariableW(testing::kChildReportVariable, widen(report).c_str());
    const StartResult result = processes.startSupervised(folder.at("My Bot\\bot.exe"), WindowMode::Hidden);
    SetEnvironmentVariableW(testing::kChildReportVariable, nullptr);
    EXPECT_FALSE(result.started);
    Sleep(500);
    EXPECT_EQ(testing::readWhole(report), "");
}

// A supervised program and the program it started end together: when asked to, and when its owner drops it.
TEST_F(ProcessStarterWin32Test, ASupervisedProgramEndsWithEverythingItStarted) {
    const std::string spawn = folder.at("spawn.txt");
    SetEnvironmentVariableW(testing::kChildSleepVariable, L"60000");
    SetEnvironmentVariableW(testing::kChildReportVariable, widen(report).c_str());
    auto startTree = [&] {
        DeleteFileW(widen(spawn).c_str());
        SetEnvironmentVariableW(testing::kChildSpawnVariable, widen(spawn).c_str());
        StartResult started = processes.startSupervised(self(), WindowMode::Hidden);
        SetEnvironmentVariableW(testing::kChildSpawnVariable, nullptr);
        EXPECT_TRUE(started.started) << started.errorText;
        for (int i = 0; i < 200 && testing::readWhole(spawn).empty(); ++i) Sleep(50);
        const DWORD grandchild = static_cast<DWORD>(std::stoul("0" + testing::readWhole(spawn)));
        return std::make_pair(started, ownHandle(OpenProcess(SYNCHRONIZE, FALSE, grandchild)));
    };
    auto ends = [](HANDLE process) {
        return process != nullptr && WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    };

    auto [asked, askedChild] = startTree();
    ASSERT_TRUE(askedChild);
    EXPECT_TRUE(asked.process->endWithEverythingItStarted());
    EXPECT_TRUE(asked.process->waitForEnd(20000));
    EXPECT_EQ(asked.process->exitCode(), std::optional<std::uint32_t>(1));
    EXPECT_TRUE(ends(askedChild.get()));

    auto [dropped, droppedChild] = startTree();
    const UniqueHandle bot = ownHandle(OpenProcess(SYNCHRONIZE, FALSE, dropped.processId));
    dropped.process.reset();
    EXPECT_TRUE(ends(bot.get()));
    EXPECT_TRUE(ends(droppedChild.get()));
    SetEnvironmentVariableW(testing::kChildReportVariable, nullptr);
    SetEnvironmentVariableW(testing::kChildSleepVariable, nullptr);
}

// A stop kills bot.exe by name at once; what the bot started ends a few seconds later, unless it broke away.
TEST_F(ProcessStarterWin32Test, WhatAStoppedBotStartedEndsSoonAfterUnlessItBrokeAway) {
    const std::string bot = folder.at("bot.exe"), spawn = folder.at("spawn.txt");
    ASSERT_TRUE(CopyFileW(widen(self()).c_str(), widen(bot).c_str(), FALSE));
    SetEnvironmentVariableW(testing::kChildSleepVariable, L"60000");
    SetEnvironmentVariableW(testing::kChildReportVariable, widen(report).c_str());
    SetEnvironmentVariableW(testing::kChildSpawnProgramVariable, widen(self()).c_str());  // not named bot.exe
    ClockWin32 clock;
    BotLife life(processes, clock);
    const auto launch = [&](bool breakAway) {
        DeleteFileW(widen(spawn).c_str());
        SetEnvironmentVariableW(testing::kChildSpawnVariable, widen(spawn).c_str());
        SetEnvironmentVariableW(testing::kChildBreakawayVariable, breakAway ? L"1" : nullptr);
        EXPECT_TRUE(life.launch(bot, Starter::User).started);
        for (int i = 0; i < 200 && testing::readWhole(spawn).empty(); ++i) Sleep(50);
        const DWORD id = static_cast<DWORD>(std::stoul("0" + testing::readWhole(spawn)));
        return ownHandle(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
    };

    const UniqueHandle started = launch(false);
    ASSERT_TRUE(started);
    const ULONGLONG stopAt = GetTickCount64();
    life.stop();
    EXPECT_LT(GetTickCount64() - stopAt, 1500u) << "the stop waits for nothing";
    // The kill by name leaves it running; its end falls due a few seconds later.
    EXPECT_EQ(WaitForSingleObject(started.get(), BotLife::kEndWhatItStartedAfterMs - 500), WAIT_TIMEOUT);
    while (WaitForSingleObject(started.get(), 50) == WAIT_TIMEOUT &&
           GetTickCount64() - stopAt < BotLife::kEndWhatItStartedAfterMs + 3000)
        life.due();
    EXPECT_EQ(WaitForSingleObject(started.get(), 0), WAIT_OBJECT_0);

    const UniqueHandle brokeAway = launch(true);
    ASSERT_TRUE(brokeAway) << "the bot's CreateProcess with CREATE_BREAKAWAY_FROM_JOB failed";
    TerminateProcess(brokeAway.get(), 1);
    life.stop();
    life.waitForPendingKills();
    for (const wchar_t* name :
         {testing::kChildSleepVariable, testing::kChildReportVariable, testing::kChildSpawnVariable,
          testing::kChildSpawnProgramVariable, testing::kChildBreakawayVariable})
        SetEnvironmentVariableW(name, nullptr);
}

TEST_F(ProcessStarterWin32Test, CommandLinesRunTheSystemFoldersProgramAndTheirEndIsSeen) {
    const StartResult started = processes.startCommandLine("cmd /c exit 3", WindowMode::Hidden);
    ASSERT_TRUE(started.started) << started.errorText;
    ASSERT_NE(started.process, nullptr);
    EXPECT_TRUE(started.process->waitForEnd(10000));
    EXPECT_EQ(started.process->exitCode(), std::optional<std::uint32_t>(3));
    const StartResult missing = processes.startCommandLine("no-such-program-tavrio /t 2", WindowMode::Hidden);
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.errorText.empty());
}

TEST_F(ProcessStarterWin32Test, NotepadIsTheWindowsFolders) {
    const StartResult notepad = processes.startNotepad(folder.at("support log.txt"));
    ASSERT_TRUE(notepad.started) << notepad.errorText;
    wchar_t windows[MAX_PATH] = {}, image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const UniqueHandle process = ownHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, notepad.processId));
    QueryFullProcessImageNameW(process.get(), 0, image, &size);
    notepad.process->endWithEverythingItStarted();
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(_wcsicmp(image, (std::wstring(windows) + L"\\notepad.exe").c_str()), 0) << narrow(image);
}

TEST(SingleInstance, ASecondCopyEndsButACheckThatFailsRunsAsTheFirst) {
    {
        SingleInstance first;
        EXPECT_TRUE(first.isFirst());
        EXPECT_FALSE(SingleInstance().isFirst());
    }
    // An object of another kind under the mutex's name makes the mutex impossible to create.
    UniqueHandle squatter = ownHandle(CreateEventW(nullptr, FALSE, FALSE, L"Local\\TavrioPanel.SingleInstance"));
    ASSERT_TRUE(squatter);
    EXPECT_TRUE(SingleInstance().isFirst());
}

TEST(ProgramInfo, FolderIsTheExecutablesWithoutTrailingBackslash) {
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(FileSystemWin32().isPlainFile(self()));
}

}  // namespace
}  // namespace tavrio::win32
