#include "ReportPeriod.h"

#include <ctime>

namespace Reports {
namespace {

std::tm LocalTm(std::int64_t at) {
    const std::time_t seconds = static_cast<std::time_t>(at / kMicrosPerSecond - (at % kMicrosPerSecond < 0 ? 1 : 0));
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

// Local wall time back to microseconds; the clock-change rules of the zone decide (tm_isdst = -1).
std::int64_t FromLocal(std::tm local) {
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local)) * kMicrosPerSecond;
}

} // namespace

std::int64_t NightStart(std::int64_t at, int dayStartHour) {
    std::tm local = LocalTm(at);
    if (local.tm_hour < dayStartHour)
        --local.tm_mday; // mktime carries a day 0 back into the month before
    local.tm_hour = dayStartHour;
    local.tm_min = 0;
    local.tm_sec = 0;
    return FromLocal(local);
}

ReportPeriod NightOf(std::int64_t at, int dayStartHour) {
    const std::int64_t from = NightStart(at, dayStartHour);
    std::tm next = LocalTm(from);
    ++next.tm_mday;
    next.tm_hour = dayStartHour;
    next.tm_min = 0;
    next.tm_sec = 0;
    return {from, FromLocal(next)};
}

std::int64_t HourStart(std::int64_t at) {
    // Taking off the minutes and seconds the local clock shows keeps the right hour also in the hour a
    // clock change repeats, which a round trip through the local calendar could not tell apart.
    const std::tm local = LocalTm(at);
    const std::int64_t intoSecond = ((at % kMicrosPerSecond) + kMicrosPerSecond) % kMicrosPerSecond;
    return at - intoSecond - (static_cast<std::int64_t>(local.tm_min) * 60 + local.tm_sec) * kMicrosPerSecond;
}

std::int64_t NextHour(std::int64_t hourStart) {
    return hourStart + kMicrosPerHour;
}

std::string LocalIso(std::int64_t at) {
    const std::tm local = LocalTm(at);
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::string iso(text, n);
    if (iso.size() >= 5) // "+0100" -> "+01:00"
        iso.insert(iso.size() - 2, ":");
    return iso;
}

} // namespace Reports
