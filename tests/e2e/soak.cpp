// The soak run: the panel and the simulator for a while, with a restart request every minute and a message sent
// through the window every few seconds. Prints the panel's handle, GDI and USER object counts and memory once a
// minute, then checks that the simulator logged every message that the panel reported as sent.
//   soak.exe PANEL.exe BOT-SIM.exe WORK-FOLDER [minutes]
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>
#include <string>

#include "panel_driver.h"
#include "program_folder.h"
#include "sim_client.h"

using namespace e2e;

namespace {

void report(const char* when, Panel& panel) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, panel.processId());
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    std::printf("soak %s: handles %lu, GDI objects %lu, USER objects %lu, working set %zu KiB, private %zu KiB\n", when,
                handles, GetGuiResources(process, GR_GDIOBJECTS), GetGuiResources(process, GR_USEROBJECTS),
                memory.WorkingSetSize / 1024, memory.PagefileUsage / 1024);
    std::fflush(stdout);
    CloseHandle(process);
}

}  // namespace

int main(int argc, char** argv) {
    setArtifacts(argc, argv);
    const int minutes = argc > 4 ? std::atoi(argv[4]) : 10;
    killAll(L"bot.exe");
    ProgramFolder folder("soak");
    folder.write("session.db", "linked");
    folder.writeAutoStart(true);
    Panel panel(folder);
    if (!panel.start() || !panel.window()) return 1;
    waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30));
    report("start", panel);

    int sent = 0, refused = 0;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
    int minute = 0;
    while (elapsed() < std::chrono::minutes(minutes)) {
        if (elapsed() >= std::chrono::minutes(minute + 1)) {
            ++minute;
            report(("minute " + std::to_string(minute)).c_str(), panel);
            simRequest(folder.port(), "POST", "/sim/restart");
        }
        if (panel.text(Control::lblStatus) == "BOT READY") {
            panel.typeText(Control::txtPhone, "9198" + std::to_string(10000000 + sent));
            panel.typeText(Control::txtMessage, "Soak message " + std::to_string(sent) + " it's \"fine\"");
            panel.click(Control::Command2);
            const MessageBoxSeen box = panel.answerMessageBox(std::chrono::seconds(30));
            if (box.text.rfind("Message sent", 0) == 0)
                ++sent;
            else
                ++refused;
        }
        Sleep(3000);
    }
    report("end", panel);
    panel.openTrayMenu();
    panel.chooseTrayMenuItem(Control::exitapp);
    panel.waitForExit();

    std::string log = folder.read("log\\messages.log");
    int logged = 0;
    for (char c : log) logged += c == '\n';
    std::printf("soak: %d messages reported sent, %d logged by the bot, %d refused while it restarted\n", sent, logged,
                refused);
    return logged == sent ? 0 : 2;
}
