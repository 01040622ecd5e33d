#pragma once
// How many are inside now, for the door: every admitted verdict (ok, and the flagged and VIP cards that
// are admitted too) counts one in, the door's "in" key one in by hand (a guest who needs no scan), its
// "out" key one out. The count starts again at 0 at the "Day Starts At" hour, and is shown against the
// "Capacity" when there is one: amber from 90 %, red at 100 % and over. Plain logic: the station gives
// it the times (its clock) and stores the door counts it returns.

#include "VenueRows.h"

#include <cstdint>
#include <string>

namespace Reports {

class InsideCounter {
public:
    enum class Level { Normal, Amber, Red };

    // `capacity` <= 0: no capacity, the count alone.
    InsideCounter(int dayStartHour, int capacity);

    void SetDayStartHour(int hour) { m_dayStartHour = hour; }
    void SetCapacity(int capacity) { m_capacity = capacity; }

    // A verdict painted at `at` ("ok", "flagged", "vip" count one in; the rest nothing).
    void CountVerdict(const std::string& verdict, std::int64_t at);
    // One in or one out by hand; the door count row to store (station and id are the caller's).
    DoorCountRow CountIn(std::int64_t at);
    DoorCountRow CountOut(std::int64_t at);
    // Adds the stored rows (this door's or the venue's) of the night holding `before` and earlier than it:
    // the station reads them at its start, off its user-interface thread, while it counts the scans from
    // `before` on itself, so no row is counted twice.
    void AddStored(const NightRows& rows, std::int64_t before);

    // The count as read elsewhere (the venue's, over all its doors) for the night holding `at`.
    void SetInside(int inside, std::int64_t at);

    // 0 once the night of the last count is over.
    int Inside(std::int64_t now) const;
    Level LevelAt(std::int64_t now) const;
    // "Inside 143 / 250", or "Inside 143" without a capacity.
    std::string Text(std::int64_t now) const;

private:
    void Roll(std::int64_t now);
    void Add(int delta, std::int64_t at);

    int m_dayStartHour;
    int m_capacity;
    std::int64_t m_nightStart = 0;
    std::int64_t m_nightEnd = 0;
    int m_inside = 0;
};

} // namespace Reports
