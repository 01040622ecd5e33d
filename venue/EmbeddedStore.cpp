#include "EmbeddedStore.h"

#include "VenueConfig.h"
#include "VenueError.h"

#include <algorithm>
#include <limits>

namespace Venue {
namespace {

constexpr Micros kDayMicros = 86'400'000'000LL;
// Five calendar years at most, whichever leap days fall in them.
constexpr Micros kMaxValidity = (ListEntry::kMaxYears * 365 + 2) * kDayMicros;
constexpr int kSchemaVersion = 1;

const char kSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS scan_event(
  id          TEXT PRIMARY KEY,
  venue       TEXT NOT NULL,
  station     TEXT NOT NULL,
  scanned_at  INTEGER NOT NULL,
  received_at INTEGER,
  verdict     TEXT NOT NULL CHECK (verdict IN ('ok','under-age','expired','unknown','banned','flagged','vip')),
  age         INTEGER,
  sex_code    TEXT NOT NULL DEFAULT '',
  state       TEXT NOT NULL DEFAULT '',
  format      TEXT NOT NULL DEFAULT '',
  warnings    TEXT NOT NULL DEFAULT '',
  list_hits   TEXT NOT NULL DEFAULT '',
  id_hmac     BLOB
);
CREATE INDEX IF NOT EXISTS scan_event_venue_time ON scan_event(venue, scanned_at);
CREATE INDEX IF NOT EXISTS scan_event_identity ON scan_event(id_hmac, scanned_at);
CREATE TABLE IF NOT EXISTS door_count(
  id          TEXT PRIMARY KEY,
  venue       TEXT NOT NULL,
  station     TEXT NOT NULL,
  at          INTEGER NOT NULL,
  delta       INTEGER NOT NULL CHECK (delta IN (1, -1))
);
CREATE INDEX IF NOT EXISTS door_count_venue_time ON door_count(venue, at);
CREATE TABLE IF NOT EXISTS list_entry(
  id           TEXT PRIMARY KEY,
  id_hmac      BLOB NOT NULL CHECK (length(id_hmac) = 32),
  key_version  INTEGER NOT NULL,
  list         TEXT NOT NULL CHECK (list IN ('banned','flagged','vip')),
  reason_code  TEXT NOT NULL CHECK (reason_code IN
                 ('violence','theft','fake-id','harassment','drugs','underage-attempt','other')),
  note         TEXT NOT NULL DEFAULT '',
  valid_until  INTEGER NOT NULL,
  scope        TEXT NOT NULL CHECK (scope IN ('venue','group')),
  venue        TEXT NOT NULL,
  created_by   TEXT NOT NULL,
  created_at   INTEGER NOT NULL,
  lifted_at    INTEGER,
  lifted_by    TEXT NOT NULL DEFAULT '',
  lift_reason  TEXT NOT NULL DEFAULT '',
  display_name TEXT NOT NULL DEFAULT '',
  birth_date   TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS list_entry_identity ON list_entry(id_hmac);
CREATE TABLE IF NOT EXISTS outbox(
  seq         INTEGER PRIMARY KEY AUTOINCREMENT,
  kind        TEXT NOT NULL CHECK (kind IN ('scan_event','door_count','list_entry')),
  row_id      TEXT NOT NULL,
  quarantined TEXT
);
CREATE TABLE IF NOT EXISTS sync_state(
  name        TEXT PRIMARY KEY,
  value       TEXT NOT NULL
);
)sql";

const char kScanColumns[] = "id, venue, station, scanned_at, received_at, verdict, age, sex_code, state, format, "
                            "warnings, list_hits, id_hmac";
const char kEntryColumns[] = "id, id_hmac, key_version, list, reason_code, note, valid_until, scope, venue, "
                             "created_by, created_at, lifted_at, lifted_by, lift_reason, display_name, birth_date";

template <typename T> T Required(const std::optional<T>& value, const std::string& what) {
    if (!value)
        throw VenueError("the venue store holds an unknown code: " + what);
    return *value;
}

ScanEvent ReadScan(const SqliteStatement& s) {
    ScanEvent e;
    e.id = s.Text(0);
    e.venue = s.Text(1);
    e.station = s.Text(2);
    e.scannedAt = s.Int(3);
    e.receivedAt = s.OptionalInt(4);
    e.verdict = Required(VerdictOf(s.Text(5)), s.Text(5));
    if (const auto age = s.OptionalInt(6))
        e.age = static_cast<int>(*age);
    e.sexCode = s.Text(7);
    e.state = s.Text(8);
    e.format = s.Text(9);
    e.warnings = s.Text(10);
    e.listHits = s.Text(11);
    e.idHmac = s.Text(12);
    return e;
}

ListEntry ReadEntry(const SqliteStatement& s) {
    ListEntry e;
    e.id = s.Text(0);
    e.idHmac = s.Text(1);
    e.keyVersion = static_cast<int>(s.Int(2));
    e.list = Required(ListKindOf(s.Text(3)), s.Text(3));
    e.reason = Required(ReasonOf(s.Text(4)), s.Text(4));
    e.note = s.Text(5);
    e.validUntil = s.Int(6);
    e.scope = Required(ScopeOf(s.Text(7)), s.Text(7));
    e.venue = s.Text(8);
    e.createdBy = s.Text(9);
    e.createdAt = s.Int(10);
    e.liftedAt = s.OptionalInt(11);
    e.liftedBy = s.Text(12);
    e.liftReason = s.Text(13);
    e.displayName = s.Text(14);
    e.birthDate = s.Text(15);
    return e;
}

std::vector<ListEntry> ReadEntries(SqliteStatement& s) {
    std::vector<ListEntry> entries;
    while (s.Step())
        entries.push_back(ReadEntry(s));
    return entries;
}

void CheckNewEntry(const ListEntry& entry) {
    if (entry.idHmac.size() != 32)
        throw VenueError("a list entry needs the 32-byte identity of a licence");
    if (entry.validUntil <= entry.createdAt)
        throw VenueError("the expiry of a list entry must be after its making");
    if (entry.validUntil - entry.createdAt > kMaxValidity)
        throw VenueError("the expiry of a list entry may be at most " + std::to_string(ListEntry::kMaxYears) +
                         " years on");
}

} // namespace

EmbeddedStore::EmbeddedStore(const std::string& path, bool outbox) : m_db(path, true), m_outbox(outbox) {
    Init();
}

std::string EmbeddedStore::DefaultPath() {
    return VenueConfig::HiveFolder() + "venue.db";
}

const char* EmbeddedStore::Schema() {
    return kSchema;
}

void EmbeddedStore::Init() {
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    m_db.Exec(kSchema);
    m_db.Exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    transaction.Commit();
}

void EmbeddedStore::Enqueue(const char* kind, const std::string& id) {
    if (!m_outbox)
        return;
    m_db.Prepare("INSERT INTO outbox(kind, row_id) VALUES (?, ?)").Bind(1, std::string(kind)).Bind(2, id).Run();
}

void EmbeddedStore::RecordScan(const ScanEvent& e) {
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    auto insert =
        m_db.Prepare(std::string("INSERT INTO scan_event(") + kScanColumns + ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    insert.Bind(1, e.id).Bind(2, e.venue).Bind(3, e.station).Bind(4, e.scannedAt).Bind(5, e.receivedAt);
    insert.Bind(6, std::string(CodeOf(e.verdict)));
    insert.Bind(7, e.age ? std::optional<std::int64_t>(*e.age) : std::nullopt);
    insert.Bind(8, e.sexCode).Bind(9, e.state).Bind(10, e.format).Bind(11, e.warnings).Bind(12, e.listHits);
    insert.BindBlob(13, e.idHmac).Run();
    Enqueue("scan_event", e.id);
    transaction.Commit();
}

void EmbeddedStore::RecordDoorCount(const DoorCount& c) {
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    m_db.Prepare("INSERT INTO door_count(id, venue, station, at, delta) VALUES (?,?,?,?,?)")
        .Bind(1, c.id)
        .Bind(2, c.venue)
        .Bind(3, c.station)
        .Bind(4, c.at)
        .Bind(5, static_cast<std::int64_t>(c.delta))
        .Run();
    Enqueue("door_count", c.id);
    transaction.Commit();
}

void EmbeddedStore::PutEntry(const ListEntry& e) {
    // An entry never changes after its making but for its lift, and a lift is never undone: an older copy
    // of an entry that comes back (a catch-up that overlaps, a lift that waits for upload) keeps the lift.
    auto put = m_db.Prepare(std::string("INSERT INTO list_entry(") + kEntryColumns +
                            ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) ON CONFLICT(id) DO UPDATE SET"
                            " lifted_by = CASE WHEN lifted_at IS NULL THEN excluded.lifted_by ELSE lifted_by END,"
                            " lift_reason = CASE WHEN lifted_at IS NULL THEN excluded.lift_reason ELSE lift_reason END,"
                            " lifted_at = coalesce(lifted_at, excluded.lifted_at)");
    put.Bind(1, e.id).BindBlob(2, e.idHmac).Bind(3, static_cast<std::int64_t>(e.keyVersion));
    put.Bind(4, std::string(CodeOf(e.list))).Bind(5, std::string(CodeOf(e.reason))).Bind(6, e.note);
    put.Bind(7, e.validUntil).Bind(8, std::string(CodeOf(e.scope))).Bind(9, e.venue).Bind(10, e.createdBy);
    put.Bind(11, e.createdAt).Bind(12, e.liftedAt).Bind(13, e.liftedBy).Bind(14, e.liftReason);
    put.Bind(15, e.displayName).Bind(16, e.birthDate).Run();
}

void EmbeddedStore::AddEntry(const ListEntry& entry) {
    CheckNewEntry(entry);
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    if (EntryById(entry.id))
        throw VenueError("a list entry with the id " + entry.id + " exists already");
    PutEntry(entry);
    Enqueue("list_entry", entry.id);
    transaction.Commit();
}

std::optional<ListEntry> EmbeddedStore::EntryById(const std::string& id) {
    auto select = m_db.Prepare(std::string("SELECT ") + kEntryColumns + " FROM list_entry WHERE id = ?");
    select.Bind(1, id);
    if (!select.Step())
        return std::nullopt;
    return ReadEntry(select);
}

bool EmbeddedStore::Lift(const std::string& id, const std::string& by, const std::string& reason, Micros at) {
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    m_db.Prepare("UPDATE list_entry SET lifted_at = ?, lifted_by = ?, lift_reason = ? "
                 "WHERE id = ? AND lifted_at IS NULL")
        .Bind(1, at)
        .Bind(2, by)
        .Bind(3, reason)
        .Bind(4, id)
        .Run();
    if (m_db.Changes() == 0)
        return false;
    Enqueue("list_entry", id);
    transaction.Commit();
    return true;
}

std::vector<ListEntry> EmbeddedStore::Entries() {
    const std::lock_guard lock(m_mutex);
    auto select =
        m_db.Prepare(std::string("SELECT ") + kEntryColumns + " FROM list_entry ORDER BY created_at DESC, id");
    return ReadEntries(select);
}

std::vector<ListEntry> EmbeddedStore::Matches(const std::string& idHmac, const std::string& venue, Micros now) {
    if (idHmac.empty())
        return {};
    const std::lock_guard lock(m_mutex);
    // Banned first, so that the strongest entry leads.
    auto select = m_db.Prepare(std::string("SELECT ") + kEntryColumns +
                               " FROM list_entry WHERE id_hmac = ? AND lifted_at IS NULL AND valid_until > ?"
                               " AND (scope = 'group' OR venue = ?)"
                               " ORDER BY CASE list WHEN 'banned' THEN 0 WHEN 'flagged' THEN 1 ELSE 2 END,"
                               " created_at DESC");
    select.BindBlob(1, idHmac).Bind(2, now).Bind(3, venue);
    return ReadEntries(select);
}

std::vector<ScanEvent> EmbeddedStore::Scans(const std::string& venue, std::optional<Micros> since) {
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare(std::string("SELECT ") + kScanColumns +
                               " FROM scan_event WHERE (? = '' OR venue = ?) AND scanned_at >= ?"
                               " ORDER BY scanned_at, id");
    select.Bind(1, venue).Bind(2, venue).Bind(3, since.value_or(std::numeric_limits<Micros>::min()));
    std::vector<ScanEvent> events;
    while (select.Step())
        events.push_back(ReadScan(select));
    return events;
}

std::optional<ScanEvent> EmbeddedStore::LastScanOf(const std::string& idHmac, const std::string& venue, Micros since) {
    if (idHmac.empty())
        return std::nullopt;
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare(std::string("SELECT ") + kScanColumns +
                               " FROM scan_event WHERE id_hmac = ? AND venue = ? AND scanned_at >= ?"
                               " ORDER BY scanned_at DESC LIMIT 1");
    select.BindBlob(1, idHmac).Bind(2, venue).Bind(3, since);
    if (!select.Step())
        return std::nullopt;
    return ReadScan(select);
}

std::string EmbeddedStore::ListVersion() {
    auto select = m_db.Prepare("SELECT count(*) FILTER (WHERE lifted_at IS NULL),"
                               " coalesce(max(max(created_at, coalesce(lifted_at, 0))), 0) FROM list_entry");
    select.Step();
    return std::to_string(select.Int(0)) + "@" + std::to_string(select.Int(1));
}

std::vector<StationStatus> EmbeddedStore::Status() {
    const std::lock_guard lock(m_mutex);
    const std::string version = ListVersion();
    auto select = m_db.Prepare("SELECT station, count(*) FILTER (WHERE received_at IS NULL AND id IN"
                               " (SELECT row_id FROM outbox WHERE kind = 'scan_event' AND quarantined IS NULL)),"
                               " max(received_at) FROM scan_event GROUP BY station ORDER BY station");
    std::vector<StationStatus> stations;
    while (select.Step())
        stations.push_back({select.Text(0), select.Int(1), select.OptionalInt(2), version});
    return stations;
}

std::vector<SqlRow> EmbeddedStore::Select(const std::string& sql, const std::vector<SqlValue>& params) {
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare(sql);
    for (std::size_t i = 0; i < params.size(); ++i)
        select.Bind(static_cast<int>(i + 1), params[i]);
    std::vector<SqlRow> rows;
    while (select.Step()) {
        SqlRow row;
        for (int c = 0; c < select.Columns(); ++c)
            row.push_back(select.Value(c));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<OutboxRow> EmbeddedStore::Pending(std::size_t limit) {
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare("SELECT seq, kind, row_id FROM outbox WHERE quarantined IS NULL ORDER BY seq LIMIT ?");
    select.Bind(1, static_cast<std::int64_t>(limit));
    std::vector<OutboxRow> rows;
    while (select.Step()) {
        const std::int64_t seq = select.Int(0);
        const std::string kind = select.Text(1);
        const std::string id = select.Text(2);
        if (kind == "scan_event") {
            auto scan = m_db.Prepare(std::string("SELECT ") + kScanColumns + " FROM scan_event WHERE id = ?");
            if (scan.Bind(1, id).Step())
                rows.push_back({seq, ReadScan(scan)});
        } else if (kind == "door_count") {
            auto count = m_db.Prepare("SELECT id, venue, station, at, delta FROM door_count WHERE id = ?");
            if (count.Bind(1, id).Step())
                rows.push_back({seq, DoorCount{count.Text(0), count.Text(1), count.Text(2), count.Int(3),
                                               static_cast<int>(count.Int(4))}});
        } else if (auto entry = EntryById(id)) {
            rows.push_back({seq, *entry});
        }
    }
    return rows;
}

void EmbeddedStore::MarkUploaded(const std::vector<Uploaded>& rows) {
    if (rows.empty())
        return;
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    auto find = m_db.Prepare("SELECT kind, row_id FROM outbox WHERE seq = ?");
    auto drop = m_db.Prepare("DELETE FROM outbox WHERE seq = ?");
    auto received = m_db.Prepare("UPDATE scan_event SET received_at = ? WHERE id = ? AND received_at IS NULL");
    Micros last = 0;
    for (const Uploaded& row : rows) {
        find.Reset();
        if (!find.Bind(1, row.seq).Step())
            continue;
        if (find.Text(0) == "scan_event") {
            received.Reset();
            received.Bind(1, row.receivedAt).Bind(2, find.Text(1)).Run();
        }
        drop.Reset();
        drop.Bind(1, row.seq).Run();
        last = std::max(last, row.receivedAt);
    }
    m_db.Prepare("INSERT OR REPLACE INTO sync_state(name, value) VALUES ('last_upload', ?)")
        .Bind(1, std::to_string(last))
        .Run();
    transaction.Commit();
}

void EmbeddedStore::Quarantine(std::int64_t seq, const std::string& cause) {
    const std::lock_guard lock(m_mutex);
    m_db.Prepare("UPDATE outbox SET quarantined = ? WHERE seq = ?").Bind(1, cause).Bind(2, seq).Run();
}

std::int64_t EmbeddedStore::WaitingCount() {
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare("SELECT count(*) FROM outbox WHERE quarantined IS NULL");
    select.Step();
    return select.Int(0);
}

void EmbeddedStore::Apply(const std::vector<ListEntry>& entries, const std::string& watermark) {
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    for (const ListEntry& entry : entries)
        PutEntry(entry);
    m_db.Prepare("INSERT OR REPLACE INTO sync_state(name, value) VALUES ('list_watermark', ?)")
        .Bind(1, watermark)
        .Run();
    transaction.Commit();
}

void EmbeddedStore::ReplaceAll(const std::vector<ListEntry>& entries, const std::string& watermark) {
    const std::lock_guard lock(m_mutex);
    SqliteDb::Transaction transaction(m_db);
    m_db.Exec("DELETE FROM list_entry WHERE id NOT IN (SELECT row_id FROM outbox WHERE kind = 'list_entry')");
    for (const ListEntry& entry : entries)
        PutEntry(entry);
    m_db.Prepare("INSERT OR REPLACE INTO sync_state(name, value) VALUES ('list_watermark', ?)")
        .Bind(1, watermark)
        .Run();
    transaction.Commit();
}

std::string EmbeddedStore::Watermark() {
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare("SELECT value FROM sync_state WHERE name = 'list_watermark'");
    return select.Step() ? select.Text(0) : std::string();
}

std::vector<ListEntry> EmbeddedStore::AllEntries() {
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare(std::string("SELECT ") + kEntryColumns + " FROM list_entry ORDER BY id");
    return ReadEntries(select);
}

std::int64_t EmbeddedStore::ForgetIdentitiesBefore(Micros before) {
    const std::lock_guard lock(m_mutex);
    m_db.Prepare("UPDATE scan_event SET id_hmac = NULL WHERE id_hmac IS NOT NULL AND scanned_at < ?")
        .Bind(1, before)
        .Run();
    return m_db.Changes();
}

std::int64_t EmbeddedStore::DataVersion() {
    const std::lock_guard lock(m_mutex);
    auto select = m_db.Prepare("PRAGMA data_version");
    select.Step();
    return select.Int(0);
}

} // namespace Venue
