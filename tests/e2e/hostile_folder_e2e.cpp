// A program folder that others write to: files planted there under system names never run inside the panel.
// Windows looks in the program's folder first for a DLL that is not a known DLL, and for a command started
// without a path.
#include <gtest/gtest.h>

#include "panel_driver.h"

namespace e2e {
namespace {

TEST(HostileFolder, NoDllOrCommandPlantedBesideThePanelRuns) {
    ProgramFolder folder("hostile");
    // WinHTTP is the panel's own; uxtheme comes with the common controls.
    for (const char* dll : {"winhttp.dll", "uxtheme.dll"}) folder.copyIn(artifactBeside(L"planted-dll.dll"), dll);
    folder.copyIn(artifactBeside(L"slow-taskkill.exe"), "taskkill.exe");
    Panel panel(folder);
    bool ready = false;
    {
        const WineDllOverrides besideFirst(L"TavrioPanel.exe", {L"winhttp", L"uxtheme"});
        // START and its STOP; the phone line comes through the system's WinHTTP.
        ready = panel.startLinked() &&
                waitFor([&] { return panel.text(Control::Label4).find("919876543210") != std::string::npos; });
    }
    panel.click(Control::Command1);
    // Ended by the system's taskkill; a planted one would have noted its start before its kill.
    EXPECT_TRUE(waitFor([] { return countProcesses(L"bot.exe") == 0; }, std::chrono::seconds(10)));
    for (const char* planted : {"winhttp.dll.loaded", "uxtheme.dll.loaded", "taskkill-runs.txt"})
        EXPECT_FALSE(folder.exists(planted)) << planted;
    EXPECT_TRUE(ready);
    killAll(L"bot.exe");
}

}  // namespace
}  // namespace e2e
