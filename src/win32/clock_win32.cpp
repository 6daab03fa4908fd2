#include "win32/clock_win32.h"

#include "win32/win32.h"

namespace tavrio::win32 {

// Blocks the window's thread on purpose: no window events are handled during the wait.
void ClockWin32::sleepMs(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint64_t ClockWin32::nowMs() { return GetTickCount64(); }

}  // namespace tavrio::win32
