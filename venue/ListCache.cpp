#include "ListCache.h"

#include <algorithm>

namespace Venue {

void ListCache::Replace(std::vector<ListEntry> entries) {
    const std::lock_guard lock(m_mutex);
    m_entries = std::move(entries);
}

void ListCache::Put(const ListEntry& entry) {
    const std::lock_guard lock(m_mutex);
    const auto found =
        std::find_if(m_entries.begin(), m_entries.end(), [&entry](const ListEntry& e) { return e.id == entry.id; });
    if (found != m_entries.end())
        *found = entry;
    else
        m_entries.push_back(entry);
}

std::vector<ListEntry> ListCache::Matches(const std::string& idHmac, const std::string& venue, Micros now) const {
    std::vector<ListEntry> hits;
    if (idHmac.empty())
        return hits;
    {
        const std::lock_guard lock(m_mutex);
        for (const ListEntry& e : m_entries)
            if (e.idHmac == idHmac && e.HoldsAt(now) && e.HoldsFor(venue))
                hits.push_back(e);
    }
    // ListKind is declared banned, flagged, VIP: the strongest entry leads.
    std::stable_sort(hits.begin(), hits.end(), [](const ListEntry& a, const ListEntry& b) { return a.list < b.list; });
    return hits;
}

std::vector<ListEntry> ListCache::All() const {
    const std::lock_guard lock(m_mutex);
    return m_entries;
}

} // namespace Venue
