// Times as a shop reads them: "08:02", "Mon 02:13" for another day, "3 days 4 hours"; and the arithmetic on local
// times that those need, by whole seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tavrio {

// Seconds since 1970-01-01 00:00 of the wall clock the time was read on (its offset not applied).
std::int64_t wallSeconds(const LocalTime& time);
// The same moment in UTC, for comparing times read under different offsets.
std::int64_t utcSeconds(const LocalTime& time);
// The local time `seconds` earlier (a negative number: later), with the same offset.
LocalTime secondsBefore(const LocalTime& time, std::int64_t seconds);
bool sameDay(const LocalTime& a, const LocalTime& b);

// "08:02", or "Mon 02:13" when `time` falls on another day than `today`.
std::string clockText(const LocalTime& time, const LocalTime& today);
// The wall-clock time `ms` from `now`, as clockText shows it: "03:15".
std::string clockTextIn(const LocalTime& now, std::uint64_t ms);
// "3 days 4 hours", "2 hours 5 minutes", "7 minutes", "less than a minute".
std::string durationText(std::int64_t seconds);

// The time stamp that begins each line of the support log ("2026-12-09 18:04:05.123 +01:00 "); nothing when the
// line does not begin with one.
std::optional<LocalTime> logLineTime(std::string_view line);

}  // namespace tavrio
