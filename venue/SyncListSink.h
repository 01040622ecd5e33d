#pragma once
// Where the shared list lands at a door: the worker hands over changed entries together with the
// watermark they bring the copy up to, and the sink stores both at once (so a crash between them cannot
// skip entries). Entries are applied by id: the same entry again replaces the copy. Called from the
// worker's thread; an implementation tells the door by its own queued signal.

#include <string>
#include <vector>

#include "SyncRows.h"

namespace Venue {

class SyncListSink {
public:
    virtual ~SyncListSink() = default;

    // The watermark of the copy (a pg_snapshot as text), empty before the first load.
    virtual std::string Watermark() = 0;
    virtual void Apply(const std::vector<SyncListEntry>& entries, const std::string& watermark) = 0;
};

} // namespace Venue
