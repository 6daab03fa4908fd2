// The installer under Wine, silent as an administrator runs it: what it leaves in a bot's folder, the shortcuts
// and the Apps & Features key, the panel started as Windows starts it at log-in, an upgrade over a running panel
// that starts it again, also when it fails, the Startup shortcut of a silent install, and the uninstaller.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "panel_driver.h"
#include "program_folder.h"

namespace e2e {
namespace {

struct InstallerArtifacts {
    std::string setupExe, releaseText;  // the installer; the folder of the release's README and examples
} g_installer;

const std::vector<std::string> kInstalled = {"TavrioPanel.exe", "TavrioPanel README.txt", ".env.example",
                                             "conf.ini.example", "TavrioPanel-uninstall.exe"};
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TavrioPanel";

// Runs a command line and waits for it and everything it starts: a silent uninstaller hands over to a copy of
// itself and returns at once. The exit code is the first program's. A panel started again leaves the job, as a
// deployment tool's job allows.
DWORD runAndWaitForAll(const std::string& commandLine) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    std::wstring line = widen(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!job || !CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                                &startup, &process)) {
        ADD_FAILURE() << "cannot run " << commandLine;
        return ~0u;
    }
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, 60000);
    EXPECT_TRUE(waitFor(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
            return QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr) &&
                   info.ActiveProcesses == 0;
        },
        std::chrono::seconds(60)))
        << commandLine << " still runs";
    DWORD code = ~0u;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return code;
}

// As administrators do: /D= last and unquoted, blanks and all.
DWORD installSilently(const ProgramFolder& folder, const std::string& options = "") {
    return runAndWaitForAll("\"" + g_installer.setupExe + "\" /S " + options + "/D=" + folder.path());
}

std::string knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = narrow(path);
    CoTaskMemFree(path);
    return result;
}
std::string startupShortcut() { return knownFolder(FOLDERID_Startup) + "\\Tavrio Panel.lnk"; }
std::string startMenuShortcut() { return knownFolder(FOLDERID_Programs) + "\\Tavrio Panel.lnk"; }

bool fileExists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string shortcutTarget(const std::string& lnk) {
    IShellLinkW* link = nullptr;
    std::string target;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(widen(lnk).c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
            target = narrow(path);
        file->Release();
    }
    link->Release();
    return target;
}

std::string readFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Size and FNV-1a of a file's bytes: enough to tell any change, and short in a failure message.
std::string digest(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    char text[48];
    std::snprintf(text, sizeof text, "%zu bytes, %016llx", bytes.size(), static_cast<unsigned long long>(hash));
    return text;
}
std::string fileDigest(const std::string& path) { return digest(readFile(path)); }

// Every file under `root`, by its relative path, with the digest of its bytes: the oracle for "nothing else
// changed".
using Snapshot = std::map<std::string, std::string>;
void snapshotInto(const std::string& root, const std::string& relative, Snapshot& out) {
    WIN32_FIND_DATAW entry;
    const std::string folder = relative.empty() ? root : root + "\\" + relative;
    HANDLE find = FindFirstFileW(widen(folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = narrow(entry.cFileName);
        if (name == "." || name == "..") continue;
        const std::string child = relative.empty() ? name : relative + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[child + "\\"] = "";
            snapshotInto(root, child, out);
        } else {
            out[child] = fileDigest(root + "\\" + child);
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}
Snapshot snapshot(const ProgramFolder& folder) {
    Snapshot files;
    snapshotInto(folder.path(), "", files);
    return files;
}

std::optional<std::string> uninstallValue(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return narrow(text);
}
std::optional<DWORD> uninstallNumber(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A folder as a shop has it before the panel comes: the bot, its settings, its saved link and its counter.
struct BotFolder {
    explicit BotFolder(const std::string& name) : folder(name) {
        folder.remove("TavrioPanel.exe");
        CreateDirectoryW(widen(folder.at("log")).c_str(), nullptr);
        folder.write("log\\message-counter.txt", "41\r\n42\r\n");
        folder.write("session.db", "linked");
        folder.write("README.txt", "The bot's own readme.\r\n");
        folder.writeAutoStart(true);
        before = snapshot(folder);
    }
    ProgramFolder folder;
    Snapshot before;
};

HWND panelWindow() { return FindWindowW(L"TavrioPanelWindow", nullptr); }
HWND panelControl(Control c) { return GetDlgItem(panelWindow(), 1000 + static_cast<int>(c)); }
std::string controlText(HWND control) {
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1024);
    return narrow(text);
}

bool noPanelOrBotRuns() { return countProcesses(L"TavrioPanel.exe") == 0 && countProcesses(L"bot.exe") == 0; }

// The panel's exe with bytes after its end: still the same program, but not the build's bytes.
void putOlderPanel(const ProgramFolder& folder) {
    folder.write("TavrioPanel.exe", readFile(artifacts().panelExe) + std::string(512, '\x5a'));
}

// The panel the installer started again: one, from the folder, and through its auto-start its bot. Closed after.
void expectThePanelRunsAgainFrom(const ProgramFolder& folder) {
    DWORD panelId = 0;
    EXPECT_TRUE(waitFor([&] { return countProcesses(L"TavrioPanel.exe", &panelId) == 1 && panelWindow(); }))
        << "the panel was not started again";
    HANDLE panel = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, panelId);
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    QueryFullProcessImageNameW(panel, 0, image, &length);
    CloseHandle(panel);
    EXPECT_EQ(narrow(image), folder.at("TavrioPanel.exe"));
    EXPECT_TRUE(
        waitFor([] { return controlText(panelControl(Control::lblStatus)) == "BOT READY"; }, std::chrono::seconds(30)))
        << "the bot did not come back";
    PostMessageW(panelWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitFor(noPanelOrBotRuns));
}

TEST(Installer, SilentInstallBesideABotAddsItsFilesShortcutsAndKeyAndTouchesNothingElse) {
    BotFolder bot("silent install, a shop's bot");
    ProgramFolder elsewhere("a panel elsewhere");
    Panel panelElsewhere(elsewhere);
    ASSERT_TRUE(panelElsewhere.start() && panelElsewhere.window());
    ASSERT_EQ(installSilently(bot.folder), 0u);
    EXPECT_TRUE(panelElsewhere.running()) << "the installer ended a panel it does not replace";

    Snapshot after = snapshot(bot.folder);
    EXPECT_EQ(after["TavrioPanel.exe"], fileDigest(artifacts().panelExe));
    for (const char* text : {"TavrioPanel README.txt", ".env.example", "conf.ini.example"})
        EXPECT_EQ(after[text], fileDigest(g_installer.releaseText + "\\" + text)) << text;
    std::uint64_t kilobytes = 0;
    for (const std::string& name : kInstalled) {
        EXPECT_EQ(after.count(name), 1u) << name << " is not installed";
        if (name != "TavrioPanel-uninstall.exe") kilobytes += (readFile(bot.folder.at(name)).size() + 1023) / 1024;
        after.erase(name);
    }
    EXPECT_EQ(after, bot.before) << "the bot's and the user's files changed";

    const std::string panel = bot.folder.at("TavrioPanel.exe");
    EXPECT_EQ(shortcutTarget(startupShortcut()), panel);
    EXPECT_EQ(shortcutTarget(startMenuShortcut()), panel);

    EXPECT_EQ(uninstallValue(L"DisplayName"), "Tavrio Panel");
    EXPECT_EQ(uninstallValue(L"DisplayVersion"), TAVRIO_VERSION);
    EXPECT_EQ(uninstallValue(L"Publisher"), "Tavrio");
    EXPECT_EQ(uninstallValue(L"InstallLocation"), bot.folder.path());
    EXPECT_EQ(uninstallValue(L"DisplayIcon"), panel + ",0");
    EXPECT_EQ(uninstallNumber(L"EstimatedSize"), kilobytes);
    const std::string uninstaller = "\"" + bot.folder.at("TavrioPanel-uninstall.exe") + "\"";
    EXPECT_EQ(uninstallValue(L"UninstallString"), uninstaller);
    EXPECT_EQ(uninstallValue(L"QuietUninstallString"), uninstaller + " /S");
}

// As at log-in: Windows opens what the Startup folder holds.
TEST(Installer, ThePanelStartedByItsStartupShortcutStartsTheBotAndShowsTheQrCode) {
    BotFolder bot("started at log-in");
    bot.folder.remove("session.db");  // not linked yet: the bot asks for a QR code
    ASSERT_EQ(installSilently(bot.folder), 0u);

    ASSERT_GT(reinterpret_cast<INT_PTR>(
                  ShellExecuteW(nullptr, L"open", widen(startupShortcut()).c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
              32);
    EXPECT_TRUE(waitFor([] { return panelWindow() != nullptr; }));
    EXPECT_TRUE(waitFor([] { return countProcesses(L"bot.exe") == 1; })) << "auto-start did not start the bot";
    EXPECT_TRUE(waitFor(
        [] {
            HWND qr = panelControl(Control::QR1);
            return IsWindowVisible(panelWindow()) && IsWindowVisible(qr) && controlText(qr).rfind("2@", 0) == 0;
        },
        std::chrono::seconds(30)))
        << "no QR code in view";
    EXPECT_TRUE(waitFor([&] { return !bot.folder.exists("qr.txt"); })) << "the shown code's file is left";

    PostMessageW(panelWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitFor(noPanelOrBotRuns));
}

TEST(Installer, AnUpgradeEndsTheRunningPanelAndItsBotPutsTheNewExeInPlaceAndStartsItAgain) {
    BotFolder bot("upgrade");
    ASSERT_EQ(installSilently(bot.folder), 0u);
    putOlderPanel(bot.folder);
    Panel older(bot.folder);
    ASSERT_TRUE(older.start());
    ASSERT_TRUE(waitFor([&] { return older.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30)));
    DWORD olderBotId = 0;
    ASSERT_EQ(countProcesses(L"bot.exe", &olderBotId), 1);
    HANDLE olderBot = OpenProcess(SYNCHRONIZE, FALSE, olderBotId);

    EXPECT_EQ(installSilently(bot.folder), 0u);
    EXPECT_TRUE(older.waitForExit(std::chrono::seconds(1))) << "the installer returned before the panel ended";
    EXPECT_EQ(WaitForSingleObject(olderBot, 20000), WAIT_OBJECT_0) << "the older panel's bot still runs";
    CloseHandle(olderBot);
    EXPECT_EQ(fileDigest(bot.folder.at("TavrioPanel.exe")), fileDigest(artifacts().panelExe));
    expectThePanelRunsAgainFrom(bot.folder);
}

TEST(Installer, AFileItCannotWriteFailsTheInstallAndTheEndedPanelStartsAgain) {
    BotFolder bot("cannot write");
    CreateDirectoryW(widen(bot.folder.at("TavrioPanel README.txt")).c_str(), nullptr);
    putOlderPanel(bot.folder);
    Panel older(bot.folder);
    ASSERT_TRUE(older.start() && older.window());
    EXPECT_NE(installSilently(bot.folder), 0u);
    expectThePanelRunsAgainFrom(bot.folder);
}

TEST(Installer, SilentUninstallEndsThePanelAndRemovesExactlyWhatWasInstalled) {
    BotFolder bot("uninstall");
    // An older install elsewhere: its uninstaller leaves the shortcuts and the key, which now name the newer one.
    BotFolder older("uninstall, an older install");
    ASSERT_EQ(installSilently(older.folder), 0u);
    ASSERT_EQ(installSilently(bot.folder), 0u);
    runAndWaitForAll("\"" + older.folder.at("TavrioPanel-uninstall.exe") + "\" /S");
    EXPECT_EQ(snapshot(older.folder), older.before);
    EXPECT_EQ(shortcutTarget(startupShortcut()), bot.folder.at("TavrioPanel.exe"));
    EXPECT_EQ(uninstallValue(L"InstallLocation"), bot.folder.path());

    Panel panel(bot.folder);
    ASSERT_TRUE(panel.start());
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30)));
    // Files the panel's own run adds are not the installer's to remove.
    bot.before = snapshot(bot.folder);
    for (const std::string& name : kInstalled) bot.before.erase(name);

    const std::optional<std::string> quiet = uninstallValue(L"QuietUninstallString");
    ASSERT_TRUE(quiet);
    runAndWaitForAll(*quiet);

    EXPECT_TRUE(panel.waitForExit(std::chrono::seconds(1)));
    EXPECT_TRUE(waitFor(noPanelOrBotRuns));
    Snapshot after = snapshot(bot.folder);
    // The panel deletes the markers of a ready bot as it stops it, and writes its end to its log, which stays for
    // support; everything else is as it was.
    for (const char* marker : {"ws.txt", "qr.txt"}) bot.before.erase(marker);
    EXPECT_TRUE(after.count("TavrioPanel.log"));
    for (Snapshot* files : {&after, &bot.before}) files->erase("TavrioPanel.log");
    EXPECT_EQ(after, bot.before);
    EXPECT_FALSE(fileExists(startupShortcut()));
    EXPECT_FALSE(fileExists(startMenuShortcut()));
    EXPECT_FALSE(uninstallValue(L"DisplayName"));
}

// Silent, the Startup shortcut is made where bot.exe is (above) or where /STARTUP=1 asks for it; /STARTUP=0 makes
// none. A folder the uninstaller leaves empty goes.
TEST(Installer, SilentStartupShortcutOnlyBesideABotOrWhenAskedAndAnEmptiedFolderGoes) {
    ProgramFolder empty("no bot yet", false);
    for (const char* file : {"TavrioPanel.exe", ".env", "conf.ini"}) empty.remove(file);
    ASSERT_EQ(installSilently(empty), 0u);
    EXPECT_FALSE(fileExists(startupShortcut())) << "made without bot.exe";
    ASSERT_EQ(installSilently(empty, "/STARTUP=1 "), 0u);
    EXPECT_EQ(shortcutTarget(startupShortcut()), empty.at("TavrioPanel.exe")) << "not made when asked";
    BotFolder bot("not asked to start with Windows");
    ASSERT_EQ(installSilently(bot.folder, "/STARTUP=0 "), 0u);
    EXPECT_FALSE(fileExists(startupShortcut())) << "made beside a bot though /STARTUP=0";

    runAndWaitForAll("\"" + empty.at("TavrioPanel-uninstall.exe") + "\" /S");
    EXPECT_FALSE(fileExists(empty.path())) << "the emptied folder is left";
}

}  // namespace
}  // namespace e2e

// installer_tests SETUP.exe RELEASE-TEXT-FOLDER PANEL.exe BOT-SIM.exe WORK-FOLDER
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 6) {
        std::fprintf(stderr, "usage: installer_tests SETUP.exe RELEASE-TEXT-FOLDER PANEL.exe BOT-SIM.exe WORK\n");
        return 2;
    }
    e2e::setArtifacts(argc - 2, argv + 2);
    e2e::g_installer = {e2e::windowsPath(argv[1]), e2e::windowsPath(argv[2])};
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    e2e::killAll(L"TavrioPanel.exe");
    e2e::killAll(L"bot.exe");
    const int result = RUN_ALL_TESTS();
    e2e::killAll(L"TavrioPanel.exe");
    e2e::killAll(L"bot.exe");
    // The prefix is kept between runs: no shortcut or key of a test folder stays registered in it.
    DeleteFileW(e2e::widen(e2e::startupShortcut()).c_str());
    DeleteFileW(e2e::widen(e2e::startMenuShortcut()).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, e2e::kUninstallKey);
    return result;
}
