#include "InsideCounter.h"

#include "ReportBuilder.h"
#include "ReportPeriod.h"

namespace Reports {

InsideCounter::InsideCounter(int dayStartHour, int capacity) : m_dayStartHour(dayStartHour), m_capacity(capacity) {}

// Only forward: a row of an earlier night (a late upload, a clock set back) never brings that night back.
void InsideCounter::Roll(std::int64_t now) {
    if (m_nightEnd != 0 && now < m_nightEnd)
        return;
    const ReportPeriod night = NightOf(now, m_dayStartHour);
    m_nightStart = night.from;
    m_nightEnd = night.to;
    m_inside = 0;
}

void InsideCounter::Add(int delta, std::int64_t at) {
    Roll(at);
    if (at >= m_nightStart)
        m_inside += delta;
}

void InsideCounter::CountVerdict(const std::string& verdict, std::int64_t at) {
    const auto parsed = ParseVerdict(verdict);
    if (parsed && IsAdmitted(*parsed))
        Add(1, at);
}

DoorCountRow InsideCounter::CountIn(std::int64_t at) {
    Add(1, at);
    return {{}, {}, at, 1};
}

DoorCountRow InsideCounter::CountOut(std::int64_t at) {
    Add(-1, at);
    return {{}, {}, at, -1};
}

void InsideCounter::AddStored(const NightRows& rows, std::int64_t before) {
    Roll(before);
    if (before < m_nightStart)
        return; // a night already over
    const auto inNight = [this, before](std::int64_t at) { return at >= m_nightStart && at < before; };
    for (const ScanRow& scan : rows.scans) {
        const auto verdict = ParseVerdict(scan.verdict);
        if (inNight(scan.scannedAt) && verdict && IsAdmitted(*verdict))
            ++m_inside;
    }
    for (const DoorCountRow& count : rows.doorCounts)
        if (inNight(count.at))
            m_inside += count.delta;
}

void InsideCounter::SetInside(int inside, std::int64_t at) {
    Roll(at);
    m_inside = inside;
}

int InsideCounter::Inside(std::int64_t now) const {
    return m_nightEnd != 0 && now >= m_nightEnd ? 0 : m_inside;
}

InsideCounter::Level InsideCounter::LevelAt(std::int64_t now) const {
    const std::int64_t inside = Inside(now);
    if (m_capacity <= 0)
        return Level::Normal;
    if (inside >= m_capacity)
        return Level::Red;
    return inside * 10 >= static_cast<std::int64_t>(m_capacity) * 9 ? Level::Amber : Level::Normal;
}

std::string InsideCounter::Text(std::int64_t now) const {
    std::string text = "Inside " + std::to_string(Inside(now));
    if (m_capacity > 0)
        text += " / " + std::to_string(m_capacity);
    return text;
}

} // namespace Reports
