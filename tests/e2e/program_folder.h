// A fresh program folder per test: the panel, the simulator as bot.exe, and the settings files.
#pragma once

#include <string>

namespace e2e {

struct Artifacts {
    std::string panelExe, simulatorExe, workRoot;  // Windows paths
};
const Artifacts& artifacts();
void setArtifacts(int argc, char** argv);
// A helper built beside the test program (a stand-in the test plants), as a full path.
std::string artifactBeside(const wchar_t* name);

// Texts are UTF-8 in the tests, so that a folder may have any name; the W functions take them as UTF-16.
std::string narrow(const std::wstring& text);
std::wstring widen(const std::string& text);
// A path as given on the command line (a Linux one under Wine, too) as Windows names it.
std::string windowsPath(std::string path);

class ProgramFolder {
public:
    // `name` (UTF-8, any characters) becomes the folder's name under the work root; any earlier folder of that
    // name is removed.
    explicit ProgramFolder(const std::string& name, bool withBot = true);
    const std::string& path() const { return path_; }
    std::string at(const std::string& relative) const { return path_ + "\\" + relative; }

    // Copies `file` (a full path) into the folder as `relative`.
    void copyIn(const std::string& file, const std::string& relative) const;
    void write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    void remove(const std::string& relative) const;

    void writeEnv(const std::string& content) const { write(".env", content); }
    // `moreKeys`: further lines of the section, each ending in "\r\n".
    void writeAutoStart(bool on, const std::string& moreKeys = "") const {
        write("conf.ini", std::string("[tavriobot]\r\nAutostrat=") + (on ? "1" : "0") + "\r\n" + moreKeys);
    }
    // The port the simulator of this folder listens on.
    int port() const { return port_; }

private:
    std::string path_;
    int port_;
};

}  // namespace e2e
