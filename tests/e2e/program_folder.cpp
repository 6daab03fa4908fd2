#include "program_folder.h"

#include <windows.h>

#include <cstdlib>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace e2e {
namespace {

Artifacts g_artifacts;

std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine maps the Linux root to Z:
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

const Artifacts& artifacts() { return g_artifacts; }

void setArtifacts(int argc, char** argv) {
    if (argc < 4) throw std::runtime_error("usage: e2e_tests PANEL.exe BOT-SIM.exe WORK-FOLDER");
    g_artifacts = {windowsPath(argv[1]), windowsPath(argv[2]), windowsPath(argv[3])};
    CreateDirectoryA(g_artifacts.workRoot.c_str(), nullptr);
}

ProgramFolder::ProgramFolder(const std::string& name, bool withBot) {
    static int serial = 0;
    // Distinct per folder and per run, so a simulator still ending from the last test never holds the port.
    // Runs side by side (several Wine prefixes on one machine) each take their own range.
    static const int base = [] {
        const char* text = std::getenv("TAVRIO_E2E_PORT_BASE");
        return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 39000;
    }();
    port_ = base + static_cast<int>(GetCurrentProcessId() % 100) * 50 + (serial++ % 50);
    path_ = g_artifacts.workRoot + "\\" + name;
    removeTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    if (!CopyFileA(g_artifacts.panelExe.c_str(), at("TavrioPanel.exe").c_str(), FALSE))
        throw std::runtime_error("cannot copy the panel into " + path_);
    if (withBot && !CopyFileA(g_artifacts.simulatorExe.c_str(), at("bot.exe").c_str(), FALSE))
        throw std::runtime_error("cannot copy the simulator into " + path_);
    writeEnv("PORT=" + std::to_string(port_) + "\nTAVRIO_API_KEY=qvx\nCOMPNEYNAME=demo shop\n");
    writeAutoStart(false);
}

void ProgramFolder::write(const std::string& relative, const std::string& content) const {
    std::ofstream out(at(relative), std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ProgramFolder::read(const std::string& relative) const {
    std::ifstream in(at(relative), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ProgramFolder::exists(const std::string& relative) const {
    const DWORD attributes = GetFileAttributesA(at(relative).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ProgramFolder::remove(const std::string& relative) const { DeleteFileA(at(relative).c_str()); }

}  // namespace e2e
