#pragma once
// The venue store as kestrin-venue, the station and the reports use it, whichever engine keeps it: the
// embedded SQLite file (EmbeddedStore) or the shared PostgreSQL database. Every call may block on disk or
// network, so the station calls it off its user-interface thread, except RecordScan on the embedded store
// (a local commit, made before the verdict is painted). Failures throw VenueError.

#include "ListEntry.h"
#include "ScanEvent.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Venue {

// Per station: what `kestrin-venue status` shows.
struct StationStatus {
    std::string station;
    std::int64_t waiting = 0;         // events and counts not yet on the server
    std::optional<Micros> lastUpload; // when rows last reached the server
    std::string listVersion;          // the list's watermark (a count and time on the embedded store)
};

// A value bound to or read from a plain SELECT: NULL, a whole number, or a text (a BLOB reads as its bytes).
using SqlValue = std::variant<std::nullptr_t, std::int64_t, std::string>;
using SqlRow = std::vector<SqlValue>;

class IVenueStore {
public:
    virtual ~IVenueStore() = default;

    // Creates or upgrades the tables; idempotent.
    virtual void Init() = 0;

    virtual void RecordScan(const ScanEvent& event) = 0;
    virtual void RecordDoorCount(const DoorCount& count) = 0;

    // Adds a new entry (its id made by the caller). Refused (VenueError) when its expiry is in the past or
    // more than ListEntry::kMaxYears after its making.
    virtual void AddEntry(const ListEntry& entry) = 0;
    // Lifts the entry `id`; false when there is no such entry or it is lifted already.
    virtual bool Lift(const std::string& id, const std::string& by, const std::string& reason, Micros at) = 0;
    // Every entry this store sees, lifted and expired ones too, newest first.
    virtual std::vector<ListEntry> Entries() = 0;
    // Entries that hold at `now` for a door of `venue` with this identity.
    virtual std::vector<ListEntry> Matches(const std::string& idHmac, const std::string& venue, Micros now) = 0;

    // Scan events of `venue` (empty: every venue this store lets the caller see) from `since` on, oldest first.
    virtual std::vector<ScanEvent> Scans(const std::string& venue, std::optional<Micros> since) = 0;
    // The latest scan of this identity at `venue` from `since` on, if any (repeat scans).
    virtual std::optional<ScanEvent> LastScanOf(const std::string& idHmac, const std::string& venue, Micros since) = 0;
    virtual std::vector<StationStatus> Status() = 0;

    // A plain SELECT with `?` placeholders, for the reports; values as SqlValue, one row per result row.
    virtual std::vector<SqlRow> Select(const std::string& sql, const std::vector<SqlValue>& params) = 0;
};

} // namespace Venue
