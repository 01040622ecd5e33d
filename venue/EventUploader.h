#pragma once
// Sends a station's pending scan events and door counts to the server, oldest first, in batches of one
// multi-row INSERT ... ON CONFLICT DO NOTHING each: the server's key (venue, id, scanned_at) makes a
// resent row a no-op, so a reply lost after the commit costs nothing. A batch the server refuses for
// its data is split into single rows; a row refused for itself (SQLSTATE classes 22, 23, 42) is
// quarantined and the rest go on, so one poison row never blocks the outbox. Link and load failures
// stop the run with every unsent row still pending.
//
//   SyncOutbox::PendingRows -> INSERT ... RETURNING -> SyncOutbox::MarkUploaded | Quarantine

#include <cstddef>
#include <optional>

#include "PgConnection.h"
#include "SyncOutbox.h"

namespace Venue {

struct UploadResult {
    std::size_t uploaded = 0; // rows the server holds now (new or already there)
    std::size_t inserted = 0; // of which new
    std::size_t quarantined = 0;
    bool more = false;                // the deadline came first: rows are still waiting
    std::optional<PgFailure> failure; // the run stopped here; retry later
};

class EventUploader {
public:
    explicit EventUploader(std::size_t batchSize = 200) : m_batchSize(batchSize) {}

    // Uploads until the outbox is empty, a retryable failure, or the deadline.
    UploadResult Upload(PgConnection& conn, SyncOutbox& outbox, Clock::time_point deadline) const;

    // Sends the door's own list entries through kestrin.add_entry (idempotent by id).
    UploadResult UploadEntries(PgConnection& conn, SyncOutbox& outbox, Clock::time_point deadline) const;

private:
    std::size_t m_batchSize;
};

} // namespace Venue
