// The unattended demo: a tour through the panel's states with the bot simulator, asking the demo script for a
// screenshot at each one. The script sees a "shot-NAME.request" file in the work folder, saves the picture (cut to
// the part of the screen the file names, if it names one) and deletes the file.
#include <algorithm>
#include <cstdio>
#include <string>

#include "panel_driver.h"
#include "program_folder.h"

namespace {

using namespace e2e;

void shot(const std::string& name, const std::string& crop = "") {
    const std::string request = artifacts().workRoot + "\\shot-" + name + ".request";
    if (FILE* f = std::fopen(request.c_str(), "w")) {
        std::fputs(crop.c_str(), f);
        std::fclose(f);
    }
    waitFor([&] { return GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES; }, std::chrono::seconds(30));
    std::printf("demo: %s\n", name.c_str());
    std::fflush(stdout);
}

bool step(bool ok, const char* what) {
    if (!ok) std::printf("demo: gave up waiting for %s\n", what);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    setArtifacts(argc, argv);
    killAll(L"bot.exe");
    ProgramFolder folder("panel");
    folder.writeAutoStart(true);
    folder.write("bot-sim.ini", "[sim]\r\nlink_after_seconds=8\r\n");

    Panel panel(folder);
    if (!step(panel.start() && panel.window(), "the panel")) return 1;
    if (!step(waitFor([&] { return panel.windowVisible() && panel.visible(Control::QR1); }, std::chrono::seconds(30)),
              "the QR code"))
        return 1;
    shot("1-qr-code");
    if (!step(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30)),
              "the ready state"))
        return 1;
    waitFor([&] { return panel.text(Control::Label4).find("phone") != std::string::npos; }, std::chrono::seconds(5));
    shot("2-ready");

    panel.typeText(Control::txtPhone, "919812345678");
    panel.typeText(Control::txtMessage, "Your order is ready. Thank you!");
    panel.click(Control::Command2);
    if (!step(waitFor([&] { return panel.messageBoxOpen(); }), "the answer")) return 1;
    shot("3-message-sent");
    panel.answerMessageBox();
    if (!step(waitFor([&] { return panel.text(Control::LbNoMass) == "No of Massage : 1"; }, std::chrono::seconds(45)),
              "the counter"))
        return 1;
    shot("4-counter");

    // A bot that ends from outside: the panel starts it again, and once it has been ready for a minute the tray
    // menu tells where it stands and the outage it had.
    killAll(L"bot.exe");
    waitFor([&] { return panel.text(Control::lblStatus) != "BOT READY"; }, std::chrono::seconds(10));
    if (!step(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(60)),
              "the bot ready again"))
        return 1;
    Sleep(62000);
    // The tray menu where a right click beside the icon (the notification area's rightmost) would open it: on the
    // icon, its tooltip would cover the last item. Cut to the menu and the corner of the taskbar below it.
    if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        RECT bar{};
        GetWindowRect(taskbar, &bar);
        SetCursorPos(bar.right - 2 * GetSystemMetrics(SM_CXSMICON) - 4, (bar.top + bar.bottom) / 2);
    }
    if (step(panel.openTrayMenu(), "the tray menu")) {
        RECT menu{};
        GetWindowRect(panel.trayMenu(), &menu);
        const int left = std::max(0, static_cast<int>(menu.left) - 24);
        const int top = std::max(0, static_cast<int>(menu.top) - 24);
        char crop[64];
        std::snprintf(crop, sizeof crop, "%dx%d+%d+%d", GetSystemMetrics(SM_CXSCREEN) - left,
                      GetSystemMetrics(SM_CYSCREEN) - top, left, top);
        shot("menu-open", crop);
    }
    panel.chooseTrayMenuItem(Control::mnuStop);
    waitFor([&] { return panel.enabled(Control::cmdStart); });
    shot("5-stopped");
    panel.openTrayMenu();

    panel.chooseTrayMenuItem(Control::exitapp);
    panel.waitForExit();
    killAll(L"bot.exe");
    return 0;
}
