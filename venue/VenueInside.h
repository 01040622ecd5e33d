#pragma once
// How many are inside the venue, over all its doors, as the door shows it: the count the sync worker
// last read (the server's rows of the night plus this door's rows still in its outbox at that read),
// plus the rows this door made since. Offline the door so counts on from the last reading; once back,
// the next reading holds its rows (on the server or still waiting) and drops them from "since", so none
// is counted twice.
//
//   sync worker: VenueCount {night, total, mark}  --> Apply
//   station:     a stored scan or door count       --> NoteLocal(mark, at, delta)
//   display:     Inside(night) --> the count, or nothing before a reading of this night
//
// Plain and single-threaded: the station keeps it under its own lock.

#include "IOutbox.h"
#include "VenueCodes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Venue {

// One reading of the venue's count, made on the sync worker's thread.
struct VenueCount {
    Micros nightStart = 0;
    std::int64_t total = 0; // the server's rows of the night and the outbox's not yet uploaded
    std::uint64_t mark = 0; // the CommitMark of the last local row the reading holds
};

class VenueInside {
public:
    void Apply(const VenueCount& count);
    // A row this door stored with its CommitMark: +1 for an admitted scan or a count in, -1 for one out.
    void NoteLocal(std::uint64_t mark, Micros at, int delta);
    // The count for the night starting at `nightStart`; nothing before a reading of that night.
    std::optional<std::int64_t> Inside(Micros nightStart) const;

    // What the waiting outbox rows add to the night starting at `nightStart`, for a venue.
    static std::int64_t PendingInside(const std::vector<OutboxRow>& rows, const std::string& venue, Micros nightStart);

private:
    struct Local {
        std::uint64_t mark;
        Micros at;
        int delta;
    };
    std::optional<VenueCount> m_count;
    std::vector<Local> m_since;
};

} // namespace Venue
