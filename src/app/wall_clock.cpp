#include "app/wall_clock.h"

#include <cstdio>

namespace tavrio {
namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

std::string plural(std::int64_t n, const char* unit) { return std::to_string(n) + " " + unit + (n == 1 ? "" : "s"); }

}  // namespace

std::int64_t wallSeconds(const LocalTime& t) {
    return daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) * 86400 + t.hour * 3600 +
           t.minute * 60 + t.second;
}

std::int64_t utcSeconds(const LocalTime& t) { return wallSeconds(t) - t.utcOffsetMinutes * 60; }

LocalTime secondsBefore(const LocalTime& time, std::int64_t seconds) {
    const std::int64_t at = wallSeconds(time) - seconds;
    std::int64_t days = at / 86400, rest = at % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    LocalTime out = time;
    civilFromDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    out.millisecond = 0;
    return out;
}

bool sameDay(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

std::string clockText(const LocalTime& time, const LocalTime& today) {
    static constexpr const char* kWeekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};  // from 1970-01-01
    char text[16];
    if (sameDay(time, today)) {
        std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    } else {
        const std::int64_t days = wallSeconds(time) / 86400 - (wallSeconds(time) % 86400 < 0 ? 1 : 0);
        std::snprintf(text, sizeof text, "%s %02d:%02d", kWeekdays[((days % 7) + 7) % 7], time.hour, time.minute);
    }
    return text;
}

std::string clockTextIn(const LocalTime& now, std::uint64_t ms) {
    // Whole seconds, rounded up: never a minute before the moment itself.
    return clockText(secondsBefore(now, -static_cast<std::int64_t>((ms + 999) / 1000)), now);
}

std::string durationText(std::int64_t seconds) {
    if (seconds < 60) return "less than a minute";
    const std::int64_t minutes = seconds / 60, hours = minutes / 60, days = hours / 24;
    if (days > 0) return plural(days, "day") + " " + plural(hours % 24, "hour");
    if (hours > 0) return plural(hours, "hour") + " " + plural(minutes % 60, "minute");
    return plural(minutes, "minute");
}

std::optional<LocalTime> logLineTime(std::string_view line) {
    LocalTime t;
    char sign = 0;
    int offsetHours = 0, offsetMinutes = 0, used = 0;
    const std::string head(line.substr(0, 40));
    if (std::sscanf(head.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d %c%2d:%2d%n", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &t.millisecond, &sign, &offsetHours, &offsetMinutes, &used) != 10 ||
        used != 30 || (sign != '+' && sign != '-') || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31)
        return std::nullopt;
    t.utcOffsetMinutes = (sign == '-' ? -1 : 1) * (offsetHours * 60 + offsetMinutes);
    return t;
}

}  // namespace tavrio
