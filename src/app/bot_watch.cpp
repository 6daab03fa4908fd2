// A bot that ends on its own (a crash, a kill from outside): the panel stops and says so once, instead of
// showing a ready bot that is gone.
#include <cstdio>

#include "app/main_window.h"

namespace tavrio {
namespace {

std::string exitCodeText(std::uint32_t code) {
    // Crashes end with a status such as 0xC0000005, which is known by its hexadecimal form.
    if (code <= 0xFFFF) return std::to_string(code);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

}  // namespace

bool Form1::botEndedOnItsOwn() {
    const std::optional<std::uint32_t> code = bot_.endedOnItsOwn();
    if (!code) return false;
    // A bot that asked to be restarted may end before the restart; the restart is then still the poller's.
    if (markerExists(file::kRestartMarker)) return false;
    // Not restarted: a bot that keeps failing would fail again; the user decides.
    pressStop();
    if (clsSysTray* tray = tray_.icon())
        tray->ShowBalloonTip("bot.exe has stopped (exit code " + exitCodeText(*code) + ")");
    return true;
}

}  // namespace tavrio
