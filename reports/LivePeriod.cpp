#include "LivePeriod.h"

namespace Reports {

ReportPeriod LivePeriod::FollowTonight(std::int64_t now) {
    m_tonight = true;
    m_period = NightOf(now, m_dayStartHour);
    return m_period;
}

ReportPeriod LivePeriod::Choose(const ReportPeriod& period) {
    m_tonight = false;
    m_period = period;
    return m_period;
}

std::optional<ReportPeriod> LivePeriod::DueAt(std::int64_t now, bool busy) {
    if (busy)
        return std::nullopt;
    if (m_tonight)
        return FollowTonight(now);
    // A range that starts later has nothing yet but may have by the next tick: read it like tonight.
    if (now < m_period.to)
        return m_period;
    return std::nullopt;
}

} // namespace Reports
