#include "PgStore.h"

#include "EventUploader.h"
#include "ListSync.h"
#include "MemorySyncStore.h"
#include "PgSchema.h"
#include "VenueError.h"

#include <algorithm>

namespace Venue {

namespace {

constexpr auto kDeadline = std::chrono::seconds(30);

constexpr const char* kScanColumns = "SELECT id::text, venue, station, scanned_at, received_at, verdict, age, "
                                     "sex_code, state, format, warnings, list_hits, encode(id_hmac, 'hex') "
                                     "FROM kestrin.scan_event";

// Postgres type oids of the whole-number and byte types (pg_type.h).
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kBytea = 17;

std::string FromHex(const std::string& hex) {
    std::string out;
    const std::size_t start = hex.rfind("\\x", 0) == 0 ? 2 : 0;
    for (std::size_t i = start; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

std::string NumberedPlaceholders(const std::string& sql) {
    std::string out;
    int n = 0;
    char quote = 0;
    for (const char c : sql) {
        if (quote) {
            quote = c == quote ? 0 : quote;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += "$" + std::to_string(++n);
        } else {
            out += c;
        }
    }
    return out;
}

PgStore::PgStore(const std::string& conninfo) {
    PgFailure failure;
    m_conn = PgConnection::Connect(conninfo, Clock::now() + std::chrono::seconds(10), &failure, "kestrin-venue");
    if (!m_conn)
        throw VenueError("cannot reach the venue database: " + failure.message);
    // The reports' SELECTs name the tables as the embedded store does (scan_event, door_count): on this
    // connection they are those of the kestrin schema.
    Run("SET search_path = kestrin");
}

PgResult PgStore::Run(const std::string& sql, const std::vector<std::optional<std::string>>& params) {
    PgFailure failure;
    auto result = m_conn->Exec(sql, params, Clock::now() + kDeadline, &failure);
    if (!result)
        throw VenueError("the venue database refused: " + failure.message);
    return std::move(*result);
}

void PgStore::Init() {
    PgFailure failure;
    if (!PgSchema::Init(*m_conn, m_initRoles, &failure))
        throw VenueError("the venue database refused the schema: " + failure.message);
}

void PgStore::RecordScan(const ScanEvent& event) {
    MemorySyncStore one;
    one.Add(event);
    const auto result = EventUploader().Upload(*m_conn, one, Clock::now() + kDeadline);
    if (result.failure || result.quarantined)
        throw VenueError("the venue database refused the scan" +
                         (result.failure ? ": " + result.failure->message : std::string()));
}

void PgStore::RecordDoorCount(const DoorCount& count) {
    MemorySyncStore one;
    one.Add(count);
    const auto result = EventUploader().Upload(*m_conn, one, Clock::now() + kDeadline);
    if (result.failure || result.quarantined)
        throw VenueError("the venue database refused the door count" +
                         (result.failure ? ": " + result.failure->message : std::string()));
}

void PgStore::AddEntry(const ListEntry& entry) {
    MemorySyncStore one;
    one.Add(entry);
    const auto result = EventUploader().Upload(*m_conn, one, Clock::now() + kDeadline);
    if (result.failure)
        throw VenueError("the venue database refused the entry: " + result.failure->message);
    if (result.quarantined)
        throw VenueError("the venue database refused the entry (expiry more than " +
                         std::to_string(ListEntry::kMaxYears) + " years on, or not a station of a venue)");
}

bool PgStore::Lift(const std::string& id, const std::string&, const std::string& reason, Micros) {
    return Run("SELECT kestrin.lift_entry($1::uuid, $2)::text", {id, reason}).Text(0, 0) == "true";
}

std::vector<ListEntry> PgStore::Entries() {
    MemorySyncStore copy;
    PgFailure failure;
    if (!ListSync::CatchUp(*m_conn, copy, Clock::now() + kDeadline, &failure))
        throw VenueError("the venue database refused: " + failure.message);
    auto entries = copy.AllEntries();
    std::sort(entries.begin(), entries.end(),
              [](const ListEntry& a, const ListEntry& b) { return a.createdAt > b.createdAt; });
    return entries;
}

std::vector<ListEntry> PgStore::Matches(const std::string& idHmac, const std::string& venue, Micros now) {
    std::vector<ListEntry> out;
    for (auto& e : Entries())
        if (e.idHmac == idHmac && e.HoldsAt(now) && e.HoldsFor(venue))
            out.push_back(std::move(e));
    return out;
}

std::vector<ScanEvent> PgStore::ScanRows(const PgResult& r) const {
    std::vector<ScanEvent> out;
    for (int row = 0; row < r.Rows(); ++row) {
        const auto verdict = VerdictOf(r.Text(row, 5));
        if (!verdict)
            continue;
        ScanEvent e;
        e.id = r.Text(row, 0);
        e.venue = r.Text(row, 1);
        e.station = r.Text(row, 2);
        e.scannedAt = r.Integer(row, 3);
        if (!r.IsNull(row, 4))
            e.receivedAt = r.Integer(row, 4);
        e.verdict = *verdict;
        if (!r.IsNull(row, 6))
            e.age = static_cast<int>(r.Integer(row, 6));
        e.sexCode = r.Text(row, 7);
        e.state = r.Text(row, 8);
        e.format = r.Text(row, 9);
        e.warnings = r.Text(row, 10);
        e.listHits = r.Text(row, 11);
        e.idHmac = r.IsNull(row, 12) ? std::string() : FromHex(r.Text(row, 12));
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<ScanEvent> PgStore::Scans(const std::string& venue, std::optional<Micros> since) {
    return ScanRows(Run(std::string(kScanColumns) +
                            " WHERE ($1 = '' OR venue = $1) AND scanned_at >= $2::bigint ORDER BY scanned_at, id",
                        {venue, std::to_string(since.value_or(0))}));
}

std::optional<ScanEvent> PgStore::LastScanOf(const std::string& idHmac, const std::string& venue, Micros since) {
    auto rows = ScanRows(Run(std::string(kScanColumns) +
                                 " WHERE id_hmac = decode($1, 'hex') AND venue = $2 AND scanned_at >= $3::bigint"
                                 " ORDER BY scanned_at DESC LIMIT 1",
                             {Hex(idHmac), venue, std::to_string(since)}));
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

std::vector<StationStatus> PgStore::Status() {
    // What each door last reported (its outbox and list version), and the server's own record of its
    // last upload, for doors that never reported too.
    const auto r = Run("SELECT s.station, coalesce(t.waiting, 0), "
                       "greatest(t.last_upload, s.last_received), coalesce(t.list_version, '') "
                       "FROM (SELECT venue, station, max(received_at) AS last_received FROM kestrin.scan_event "
                       "      GROUP BY venue, station "
                       "      UNION SELECT venue, station, NULL FROM kestrin.station_status) s "
                       "LEFT JOIN kestrin.station_status t USING (venue, station) "
                       "ORDER BY s.venue, s.station, 3 DESC NULLS LAST");
    std::vector<StationStatus> out;
    for (int row = 0; row < r.Rows(); ++row) {
        if (!out.empty() && out.back().station == r.Text(row, 0))
            continue; // the UNION's second line for a door that also uploaded
        StationStatus s;
        s.station = r.Text(row, 0);
        s.waiting = r.Integer(row, 1);
        if (!r.IsNull(row, 2))
            s.lastUpload = r.Integer(row, 2);
        s.listVersion = r.Text(row, 3);
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<SqlRow> PgStore::Select(const std::string& sql, const std::vector<SqlValue>& params) {
    std::vector<std::optional<std::string>> texts;
    for (const auto& p : params) {
        if (const auto* i = std::get_if<std::int64_t>(&p))
            texts.emplace_back(std::to_string(*i));
        else if (const auto* s = std::get_if<std::string>(&p))
            texts.emplace_back(*s);
        else
            texts.emplace_back(std::nullopt);
    }
    const auto r = Run(NumberedPlaceholders(sql), texts);
    std::vector<SqlRow> rows;
    for (int row = 0; row < r.Rows(); ++row) {
        SqlRow values;
        for (int c = 0; c < r.Columns(); ++c) {
            const Oid type = r.Type(c);
            if (r.IsNull(row, c))
                values.emplace_back(nullptr);
            else if (type == kInt8 || type == kInt4 || type == kInt2)
                values.emplace_back(static_cast<std::int64_t>(r.Integer(row, c)));
            else if (type == kBytea)
                values.emplace_back(FromHex(r.Text(row, c)));
            else
                values.emplace_back(r.Text(row, c));
        }
        rows.push_back(std::move(values));
    }
    return rows;
}

} // namespace Venue
