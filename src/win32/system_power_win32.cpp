#include "win32/system_power_win32.h"

#include "win32/win32.h"

namespace tavrio::win32 {

bool SystemPowerWin32::onMainsPower() {
    // 1 is mains, 0 the battery, 255 unknown (a desktop may say so): only a known battery counts.
    SYSTEM_POWER_STATUS status{};
    return !GetSystemPowerStatus(&status) || status.ACLineStatus != 0;
}

void SystemPowerWin32::keepSystemAwake(bool awake) {
    // The request belongs to the calling thread, the window's, which alone asks and lets go; the display is left to
    // sleep as the user set it.
    SetThreadExecutionState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

void SystemPowerWin32::registerForRestart() {
    // No arguments: the program starts as from its shortcut. Windows restarts only a program that ran for 60 s.
    RegisterApplicationRestart(L"", 0);
}

}  // namespace tavrio::win32
