#include "win32/clock_win32.h"

#include "win32/win32.h"

namespace tavrio::win32 {

// Blocks the window's thread on purpose: no window events are handled during the wait.
void ClockWin32::sleepMs(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint64_t ClockWin32::nowMs() { return GetTickCount64(); }

namespace {

std::int64_t ticksOf(const SYSTEMTIME& time) {
    FILETIME ticks{};
    SystemTimeToFileTime(&time, &ticks);
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(ticks.dwHighDateTime) << 32) | ticks.dwLowDateTime);
}

}  // namespace

// The local time is made from one reading of UTC, so the time and its offset always belong together, also in the
// hour when summer time begins or ends.
LocalTime ClockWin32::localTime() {
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    constexpr std::int64_t kTicksPerMinute = 60LL * 10'000'000;
    const int offset = static_cast<int>((ticksOf(local) - ticksOf(utc)) / kTicksPerMinute);
    return {local.wYear,   local.wMonth,  local.wDay,          local.wHour,
            local.wMinute, local.wSecond, local.wMilliseconds, offset};
}

}  // namespace tavrio::win32
