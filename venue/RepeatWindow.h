#pragma once
// Repeat scans ("pass-back"): the last time each identity was scanned at a door of the venue, kept in
// memory for "Repeat Minutes" only, so it works under every privacy profile (also where no identity may
// be stored) and costs the door no database read. Other doors' scans come in through Note as the sync
// brings them.

#include "VenueCodes.h"

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace Venue {

class RepeatWindow {
public:
    struct Seen {
        Micros at = 0;
        std::string station;
    };

    // The last scan of `idHmac` no longer ago than `minutes` before `now`, if any.
    std::optional<Seen> Last(const std::string& idHmac, int minutes, Micros now) const;
    // Records a scan; an older one than the one known is ignored. Entries older than `minutes` go.
    void Note(const std::string& idHmac, Micros at, const std::string& station, int minutes);

private:
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Seen> m_seen;
};

} // namespace Venue
