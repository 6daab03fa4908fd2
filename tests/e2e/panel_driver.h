// Drives the real panel from outside, the way a user and the shell do: finds its window, reads and clicks its
// controls, opens the tray menu through the icon's callback message, answers message boxes.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "program_folder.h"

namespace e2e {

// The window gives each control the id 1000 + its position in the tab order.
using Control = tavrio::ControlId;

// A window's text, also another program's; empty when it does not answer within a minute.
std::string windowText(HWND hwnd);

// Polls `condition` until it holds or `timeout` passes.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// How many processes run the program of this file name (e.g. L"bot.exe"), and the first one's id.
int countProcesses(const wchar_t* exeName, DWORD* firstId = nullptr);
void killAll(const wchar_t* exeName);

// Wine's load order for `modules` while it lives, for the programs of that name (or, with none, for every program
// of the prefix) that start meanwhile. "native,builtin" makes Wine look for a DLL as Windows does for one that is
// not a known DLL, the program's folder first; for a system program, it runs the file in the system folder.
class WineDllOverrides {
public:
    WineDllOverrides(const std::wstring& program, std::vector<std::wstring> modules);
    ~WineDllOverrides();
    WineDllOverrides(const WineDllOverrides&) = delete;
    WineDllOverrides& operator=(const WineDllOverrides&) = delete;

private:
    std::wstring key_;
    std::vector<std::wstring> modules_;
};

struct MessageBoxSeen {
    bool found = false;
    std::string text;
    bool hasErrorIcon = false;
};

class Panel {
public:
    explicit Panel(const ProgramFolder& folder) : folder_(folder) {}
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    bool start();
    // With a saved link and auto-start (and `moreSettings`, lines of conf.ini's section): started, loaded, and
    // the bot ready.
    bool startLinked(const std::string& moreSettings = "");
    // The main window, once the load has created it.
    HWND window();
    bool running() const;
    bool waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    DWORD exitCode() const;
    DWORD processId() const { return process_.dwProcessId; }

    HWND control(Control c);
    std::string text(Control c);
    std::string title();
    bool visible(Control c);
    bool enabled(Control c);
    bool windowVisible();
    void click(Control c);
    void typeText(Control c, const std::string& text);

    // Right-button press on the tray icon, as the shell reports it; then an item below the menu's separator
    // (mnuLog, mnustart, mnuOpen, mnuStop, exitapp) chosen with the keyboard. False for any other.
    bool openTrayMenu();
    HWND trayMenu();  // the open menu's window, or null
    bool chooseTrayMenuItem(Control item);
    void close();  // the user's close

    // A message box of the panel's, waited for, read and answered with OK.
    MessageBoxSeen answerMessageBox(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool messageBoxOpen();

private:
    const ProgramFolder& folder_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

}  // namespace e2e
