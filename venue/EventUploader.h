#pragma once
// Sends a station's outbox to the server, oldest first: scan events and door counts in batches of one
// multi-row INSERT ... ON CONFLICT DO NOTHING each (the server's key venue + id + time makes a resent row
// a no-op, so a reply lost after the commit costs nothing), list entries made or lifted at the door one
// by one through the functions that record who. A batch the server refuses for its data is split into
// single rows; a row refused for itself (SQLSTATE classes 22, 23, 42) is quarantined and the rest go on,
// so one poison row never blocks the outbox. Link and load failures stop the run with every unsent row
// still waiting.
//
//   IOutbox::Pending -> INSERT ... RETURNING / kestrin.add_entry -> IOutbox::MarkUploaded | Quarantine

#include <cstddef>
#include <optional>

#include "IOutbox.h"
#include "PgConnection.h"

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
    UploadResult Upload(PgConnection& conn, IOutbox& outbox, Clock::time_point deadline) const;

private:
    std::size_t m_batchSize;
};

} // namespace Venue
