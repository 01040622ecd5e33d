#pragma once
// The lists as the door matches them: an in-memory copy of the entries, so that a verdict never waits
// for a database. A watcher thread (ListWatcher) replaces the copy when the store changes; an entry made at
// this door goes in at once. Safe to read from the station's thread while the watcher replaces it.

#include "ListEntry.h"

#include <mutex>
#include <string>
#include <vector>

namespace Venue {

class ListCache {
public:
    void Replace(std::vector<ListEntry> entries);
    // Adds or replaces (by id) one entry.
    void Put(const ListEntry& entry);
    // Entries that hold at `now` at a door of `venue` for this identity: banned first, then flagged, then VIP.
    std::vector<ListEntry> Matches(const std::string& idHmac, const std::string& venue, Micros now) const;
    // Every entry, for the Lists dialog.
    std::vector<ListEntry> All() const;

private:
    mutable std::mutex m_mutex;
    std::vector<ListEntry> m_entries;
};

} // namespace Venue
