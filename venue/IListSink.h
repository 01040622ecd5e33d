#pragma once
// Where the list sync worker puts the entries it reads from the server: the station's embedded copy,
// which the door matches against, online or not. Entries are applied by id, idempotently, so a catch-up
// that reads an entry twice changes nothing; a newer state of an entry (lifted since) replaces the older.
// The watermark is the worker's own opaque text (a snapshot, a checksum), stored with the entries in one
// transaction so that the two never disagree after a crash.
//
//   worker thread: server --> Apply(entries, watermark) / ReplaceAll --> embedded store --> door matches

#include "ListEntry.h"

#include <string>
#include <vector>

namespace Venue {

class IListSink {
public:
    virtual ~IListSink() = default;
    // Inserts or replaces each entry by id and stores `watermark`, all or nothing.
    virtual void Apply(const std::vector<ListEntry>& entries, const std::string& watermark) = 0;
    // The server's whole list replaces the local copy (a full reload after a checksum mismatch); entries
    // made here that still wait in the outbox are kept.
    virtual void ReplaceAll(const std::vector<ListEntry>& entries, const std::string& watermark) = 0;
    // The watermark of the last Apply or ReplaceAll; empty before the first sync.
    virtual std::string Watermark() = 0;
    // Every entry of the local copy, lifted and expired ones too, ordered by id (for a checksum).
    virtual std::vector<ListEntry> AllEntries() = 0;
};

} // namespace Venue
