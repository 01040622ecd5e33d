#pragma once
// Times of the venue store as people write and read them. The store keeps microseconds since 1970 UTC;
// commands print ISO 8601 in UTC and take ISO times in local time unless they name their offset.

#include "VenueCodes.h"

#include <optional>
#include <string>

namespace Venue {

Micros NowMicros();
// "2026-12-08T15:40:01.123456Z"
std::string IsoText(Micros at);
// "2026-12-08", "2026-12-08T15:40", "2026-12-08T15:40:01.5", each optionally with "Z" or "+01:00";
// nothing for anything else.
std::optional<Micros> ParseIsoTime(const std::string& text);
// The moment a list entry valid "until 2027-06-30" stops holding: the local midnight that ends that day.
std::optional<Micros> EndOfLocalDay(const std::string& isoDate);
// The local date of a moment, "2027-06-30".
std::string LocalDate(Micros at);
// The start of the night holding `at`: the latest local `dayStartHour`:00 at or before it, so a night
// past midnight is one night.
Micros NightStart(Micros at, int dayStartHour);

} // namespace Venue
