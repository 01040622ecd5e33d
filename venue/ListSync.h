#pragma once
// Brings a door's copy of the shared list up to the server's, safely against concurrent commits. A
// sequence number is not enough: an entry whose transaction began earlier but committed later than one
// already seen would be skipped for good. So each catch-up, in one REPEATABLE READ transaction, takes the
// server's snapshot and fetches the entries whose changing transaction was not yet visible in the
// previous snapshot (changed_xid >= its xmin and not visible in it); the new snapshot is the next
// watermark. The first load (no watermark) fetches everything. Row security decides which entries a
// station sees (its venue's and its group's).
//
//   IListSink::Watermark -> snapshot + changed entries -> IListSink::Apply(entries, snapshot)

#include <cstddef>
#include <optional>

#include "IListSink.h"
#include "PgConnection.h"

namespace Venue {

class ListSync {
public:
    // Number of entries applied, or nullopt with the failure. An entry with a code this station does not
    // know is left out rather than guessed.
    static std::optional<std::size_t> CatchUp(PgConnection& conn, IListSink& sink, Clock::time_point deadline,
                                              PgFailure* failure);
};

} // namespace Venue
