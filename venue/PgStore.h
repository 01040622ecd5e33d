#pragma once
// The venue store on the shared PostgreSQL database, as kestrin-venue and the reports use it (the door
// itself records into its embedded store and the sync worker uploads). One connection, opened at
// construction, used by one thread. The server decides what the login may see and do: a station role
// sees its venue's events and its venue's and group's lists; a manager sees everything and lifts.
// Who made or lifted an entry, and when, is the server's record (session_user, its clock), whatever
// the caller passes. Failures throw VenueError with the server's message.

#include <memory>
#include <string>

#include "IVenueStore.h"
#include "PgConnection.h"

namespace Venue {

class PgStore final : public IVenueStore {
public:
    // Connects (bounded by a deadline); throws VenueError when the server cannot be reached.
    explicit PgStore(const std::string& conninfo);

    // Init also creates the roles of least privilege (kestrin_owner, kestrin_station, kestrin_manager).
    void SetInitRoles(bool withRoles) { m_initRoles = withRoles; }

    void Init() override;
    void RecordScan(const ScanEvent& event) override;
    void RecordDoorCount(const DoorCount& count) override;
    void AddEntry(const ListEntry& entry) override;
    bool Lift(const std::string& id, const std::string& by, const std::string& reason, Micros at) override;
    std::vector<ListEntry> Entries() override;
    std::vector<ListEntry> Matches(const std::string& idHmac, const std::string& venue, Micros now) override;
    std::vector<ScanEvent> Scans(const std::string& venue, std::optional<Micros> since) override;
    std::optional<ScanEvent> LastScanOf(const std::string& idHmac, const std::string& venue, Micros since) override;
    std::vector<StationStatus> Status() override;
    std::vector<SqlRow> Select(const std::string& sql, const std::vector<SqlValue>& params) override;

private:
    PgResult Run(const std::string& sql, const std::vector<std::optional<std::string>>& params = {});
    std::vector<ScanEvent> ScanRows(const PgResult& result) const;

    std::unique_ptr<PgConnection> m_conn;
    bool m_initRoles = false;
};

// `?` placeholders outside quotes become $1, $2, ... (the reports write one query for both engines).
std::string NumberedPlaceholders(const std::string& sql);

} // namespace Venue
