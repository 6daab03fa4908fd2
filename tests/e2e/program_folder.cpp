#include "program_folder.h"

#include <windows.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace e2e {
namespace {

Artifacts g_artifacts;

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine maps the Linux root to Z:
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

const Artifacts& artifacts() { return g_artifacts; }

void setArtifacts(int argc, char** argv) {
    if (argc < 4) throw std::runtime_error("usage: e2e_tests PANEL.exe BOT-SIM.exe WORK-FOLDER");
    g_artifacts = {windowsPath(argv[1]), windowsPath(argv[2]), windowsPath(argv[3])};
    CreateDirectoryA(g_artifacts.workRoot.c_str(), nullptr);
}

std::string artifactBeside(const wchar_t* name) {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring own(path, length);
    return narrow(own.substr(0, own.find_last_of(L'\\') + 1) + name);
}

ProgramFolder::ProgramFolder(const std::string& name, bool withBot) {
    static int serial = 0;
    // Distinct per folder and per run, so a simulator still ending from the last test never holds the port.
    // Runs side by side (several Wine prefixes on one machine) each take their own range of 5000 ports, below
    // the range the system hands out to any program's outgoing connections (32768 up, on Linux).
    static const int base = [] {
        const char* text = std::getenv("TAVRIO_E2E_PORT_BASE");
        return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 20000;
    }();
    port_ = base + static_cast<int>(GetCurrentProcessId() % 100) * 50 + (serial++ % 50);
    path_ = g_artifacts.workRoot + "\\" + name;
    removeTree(widen(path_));
    CreateDirectoryW(widen(path_).c_str(), nullptr);
    copyIn(g_artifacts.panelExe, "TavrioPanel.exe");
    if (withBot) copyIn(g_artifacts.simulatorExe, "bot.exe");
    writeEnv("PORT=" + std::to_string(port_) + "\nTAVRIO_API_KEY=qvx\nCOMPNEYNAME=demo shop\n");
    writeAutoStart(false);
}

void ProgramFolder::copyIn(const std::string& file, const std::string& relative) const {
    if (!CopyFileW(widen(file).c_str(), widen(at(relative)).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + file + " into " + path_);
}

void ProgramFolder::write(const std::string& relative, const std::string& content) const {
    std::ofstream out(std::filesystem::path(widen(at(relative))), std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ProgramFolder::read(const std::string& relative) const {
    std::ifstream in(std::filesystem::path(widen(at(relative))), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ProgramFolder::exists(const std::string& relative) const {
    const DWORD attributes = GetFileAttributesW(widen(at(relative)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ProgramFolder::remove(const std::string& relative) const { DeleteFileW(widen(at(relative)).c_str()); }

}  // namespace e2e
