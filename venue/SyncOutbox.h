#pragma once
// What the sync worker needs from a station's durable outbox. The worker calls it from its own thread,
// so an implementation must be safe against the door's writes; none of these calls may wait on the
// network. Rows come back oldest first and stay pending until marked, so a crash at any point means a
// resend of the same rows, which the server ignores (same venue, UUID and scan time).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SyncRows.h"

namespace Venue {

class SyncOutbox {
public:
    virtual ~SyncOutbox() = default;

    // Up to limit pending rows (scan events and door counts), oldest first.
    virtual std::vector<SyncOutboxRow> PendingRows(std::size_t limit) = 0;
    // The server holds these rows now (its clock: receivedAt, microseconds).
    virtual void MarkUploaded(const std::vector<std::string>& ids, std::int64_t receivedAt) = 0;
    // The server refuses this row for what it is (bad data, a constraint, a forbidden venue): it is set
    // aside with the reason, so the rows behind it still go up.
    virtual void Quarantine(const std::string& id, const std::string& reason) = 0;
    virtual std::size_t WaitingCount() = 0;

    // List entries made at this door that the server has not got yet.
    virtual std::vector<SyncListEntry> PendingEntries() = 0;
    virtual void MarkEntryUploaded(const std::string& id) = 0;
    virtual void QuarantineEntry(const std::string& id, const std::string& reason) = 0;
};

} // namespace Venue
