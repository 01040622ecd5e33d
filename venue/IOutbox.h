#pragma once
// What the upload worker sees of the station's embedded store: the rows waiting for the server, in the
// order they were made (scan events, door counts and list entries made or lifted here, interleaved), and
// the way to say they arrived. A row stays waiting until MarkUploaded names it, so a crash or an outage
// between reading and marking sends it again, unchanged (same UUID, same times): the server ignores
// repeats by id.
//
//   station thread: store --> outbox row            worker thread: Pending --> server --> MarkUploaded
//
// Implementations are safe to call from the worker thread while the station writes.

#include "ListEntry.h"
#include "ScanEvent.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace Venue {

struct OutboxRow {
    std::int64_t seq = 0; // the order rows were made in, increasing
    // A list entry row is the entry as it is now (made, or lifted since): the server applies it by id.
    std::variant<ScanEvent, DoorCount, ListEntry> row;
};

struct Uploaded {
    std::int64_t seq = 0;
    Micros receivedAt = 0; // the server's clock; kept on a scan event
};

class IOutbox {
public:
    virtual ~IOutbox() = default;
    // Up to `limit` waiting rows, oldest first; quarantined rows are left out.
    virtual std::vector<OutboxRow> Pending(std::size_t limit) = 0;
    // These rows are on the server now. Unknown seqs are ignored.
    virtual void MarkUploaded(const std::vector<Uploaded>& rows) = 0;
    // The server refused this row for good (bad data): it stops blocking the rest, and `cause` is kept.
    virtual void Quarantine(std::int64_t seq, const std::string& cause) = 0;
    // Rows waiting (quarantined ones not counted).
    virtual std::int64_t WaitingCount() = 0;
};

} // namespace Venue
