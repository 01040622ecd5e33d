#pragma once
// The span a report covers, [from, to) in microseconds since 1970 UTC. "Tonight" runs from the last
// "Day Starts At" hour (local time) to the next one, so a night past midnight is one night. Local time is
// the process's time zone (TZ), as the station's clock shows it.

#include <cstdint>
#include <string>

namespace Reports {

struct ReportPeriod {
    std::int64_t from = 0;
    std::int64_t to = 0;
};

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kMicrosPerHour = 3600 * kMicrosPerSecond;

// The start of the night holding `at`: today's `dayStartHour`:00 local time when `at` is past it, else
// yesterday's.
std::int64_t NightStart(std::int64_t at, int dayStartHour);
// The night holding `at`, from its start to the next night's start (23 or 25 hours across a clock change).
ReportPeriod NightOf(std::int64_t at, int dayStartHour);

// Local hour containing `at`, and the local hour after it (both at :00:00).
std::int64_t HourStart(std::int64_t at);
std::int64_t NextHour(std::int64_t hourStart);

// A time as local ISO 8601 with its offset: "2026-12-08T22:00:00+01:00".
std::string LocalIso(std::int64_t at);

} // namespace Reports
