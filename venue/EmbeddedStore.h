#pragma once
// The venue store in one SQLite file (`venue.db` next to the settings hive): a single door's scan record
// and lists with no server, and, with a server, the station's durable outbox and its offline copy of the
// lists. The station, the upload worker and kestrin-venue each open their own EmbeddedStore on the same
// file; WAL lets them read while one writes.
//
//   station: RecordScan (event + outbox row, one commit) --> verdict painted
//   kestrin-venue / station menu: AddEntry, Lift (entry + outbox row)
//   upload worker: IOutbox::Pending --> server --> MarkUploaded;  list worker: IListSink::Apply
//
// The tables are those of the venue contract (scan_event, door_count) plus list_entry, outbox and
// sync_state; see Schema() for the columns.

#include "IListSink.h"
#include "IOutbox.h"
#include "IVenueStore.h"
#include "SqliteDb.h"

#include <mutex>
#include <string>

namespace Venue {

class EmbeddedStore final : public IVenueStore, public IOutbox, public IListSink {
public:
    // Opens (creating when missing) the file at `path` and creates or upgrades its tables. `outbox`: what
    // is recorded here also waits for the server (a door with "Venue Database"); a door without a server
    // keeps no outbox, which would only grow.
    explicit EmbeddedStore(const std::string& path, bool outbox = true);

    // `venue.db` in the folder of the settings hive.
    static std::string DefaultPath();
    // The statements that make the tables, for the record and for other engines' schemas to follow.
    static const char* Schema();

    // IVenueStore
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

    // IOutbox
    std::vector<OutboxRow> Pending(std::size_t limit) override;
    void MarkUploaded(const std::vector<Uploaded>& rows) override;
    void Quarantine(std::int64_t seq, const std::string& cause) override;
    std::int64_t WaitingCount() override;

    // IListSink
    void Apply(const std::vector<ListEntry>& entries, const std::string& watermark) override;
    void ReplaceAll(const std::vector<ListEntry>& entries, const std::string& watermark) override;
    std::string Watermark() override;
    std::vector<ListEntry> AllEntries() override;

    // A number that changes whenever another connection commits to the file (SQLite's data_version), so
    // a poller sees kestrin-venue's changes without reading the lists each time.
    std::int64_t DataVersion();
    // "Keep Days": scan events older than `before` keep no identity (the rest of the event, which names
    // nobody, stays for the reports). The number of events changed.
    std::int64_t ForgetIdentitiesBefore(Micros before);
    // "<live entries>@<last change, microseconds>": the list version shown by status.
    std::string ListVersion();

private:
    void PutEntry(const ListEntry& entry);
    void Enqueue(const char* kind, const std::string& id);
    std::optional<ListEntry> EntryById(const std::string& id);

    std::mutex m_mutex; // one statement sequence at a time on this connection
    SqliteDb m_db;
    bool m_outbox;
};

} // namespace Venue
