#pragma once
// Which period an open Reports window reads again on its refresh tick. "Tonight" follows the clock: the
// night holding the tick's time, so a window left open past the "Day Starts At" hour moves on to the new
// night. A chosen range is read again only while it has not ended (its figures can still change); a past
// range never changes, so it is never read again. No tick starts a read while one is running.
//
//   window: Tonight / Show --> FollowTonight / Choose;  timer tick --> DueAt(now, busy) --> read or not

#include "ReportPeriod.h"

#include <cstdint>
#include <optional>

namespace Reports {

class LivePeriod {
public:
    explicit LivePeriod(int dayStartHour) : m_dayStartHour(dayStartHour) {}

    // Tonight as of `now`; the period to read.
    ReportPeriod FollowTonight(std::int64_t now);
    // A range the user chose; the period to read.
    ReportPeriod Choose(const ReportPeriod& period);

    // The period to read again at `now`, or nothing when the shown one cannot have changed or a read is
    // still running (`busy`).
    std::optional<ReportPeriod> DueAt(std::int64_t now, bool busy);

    const ReportPeriod& Current() const { return m_period; }
    bool FollowsTonight() const { return m_tonight; }

private:
    int m_dayStartHour;
    bool m_tonight = true;
    ReportPeriod m_period;
};

} // namespace Reports
