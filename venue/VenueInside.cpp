#include "VenueInside.h"

#include <algorithm>

namespace Venue {
namespace {

bool Admitted(Verdict verdict) {
    return verdict == Verdict::Ok || verdict == Verdict::Flagged || verdict == Verdict::Vip;
}

} // namespace

void VenueInside::Apply(const VenueCount& count) {
    // A reading older than the one held (a reconnect's first answer overtaken) is no news.
    if (m_count && count.nightStart == m_count->nightStart && count.mark < m_count->mark)
        return;
    m_count = count;
    m_since.erase(
        std::remove_if(m_since.begin(), m_since.end(), [&](const Local& row) { return row.mark <= count.mark; }),
        m_since.end());
}

void VenueInside::NoteLocal(std::uint64_t mark, Micros at, int delta) {
    if (delta == 0 || (m_count && mark <= m_count->mark))
        return;
    m_since.push_back({mark, at, delta});
}

std::optional<std::int64_t> VenueInside::Inside(Micros nightStart) const {
    if (!m_count || m_count->nightStart != nightStart)
        return std::nullopt;
    std::int64_t inside = m_count->total;
    for (const Local& row : m_since)
        if (row.at >= nightStart)
            inside += row.delta;
    return inside;
}

std::int64_t VenueInside::PendingInside(const std::vector<OutboxRow>& rows, const std::string& venue,
                                        Micros nightStart) {
    std::int64_t inside = 0;
    for (const OutboxRow& row : rows) {
        if (const auto* event = std::get_if<ScanEvent>(&row.row)) {
            if (event->venue == venue && event->scannedAt >= nightStart && Admitted(event->verdict))
                ++inside;
        } else if (const auto* count = std::get_if<DoorCount>(&row.row)) {
            if (count->venue == venue && count->at >= nightStart)
                inside += count->delta;
        }
    }
    return inside;
}

} // namespace Venue
