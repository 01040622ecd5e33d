#include "EventUploader.h"

#include <algorithm>
#include <cstdint>

namespace Venue {

namespace {

using Params = std::vector<std::optional<std::string>>;

std::string HexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "\\x";
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::optional<std::string> Bytea(const std::string& bytes) {
    if (bytes.empty())
        return std::nullopt;
    return HexBytes(bytes);
}

std::optional<std::string> NonEmpty(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    return text;
}

void AddParams(const ScanEvent& e, Params* p) {
    const Params values = {e.id,
                           e.venue,
                           e.station,
                           std::to_string(e.scannedAt),
                           std::string(CodeOf(e.verdict)),
                           e.age ? std::optional<std::string>(std::to_string(*e.age)) : std::nullopt,
                           e.sexCode,
                           e.state,
                           e.format,
                           e.warnings,
                           e.listHits,
                           Bytea(e.idHmac)};
    p->insert(p->end(), values.begin(), values.end());
}

void AddParams(const DoorCount& d, Params* p) {
    const Params values = {d.id, d.venue, d.station, std::to_string(d.at), std::to_string(d.delta)};
    p->insert(p->end(), values.begin(), values.end());
}

std::string InsertSql(bool scans, std::size_t rows) {
    const int width = scans ? 12 : 5;
    std::string sql = scans ? "INSERT INTO kestrin.scan_event (id, venue, station, scanned_at, verdict, age, sex_code, "
                              "state, format, warnings, list_hits, id_hmac) VALUES "
                            : "INSERT INTO kestrin.door_count (id, venue, station, at, delta) VALUES ";
    int n = 1;
    for (std::size_t r = 0; r < rows; ++r) {
        sql += r ? ",(" : "(";
        for (int c = 0; c < width; ++c) {
            sql += (c ? ",$" : "$") + std::to_string(n++);
            if (c == 0)
                sql += "::uuid";
            else if (scans && c == 11)
                sql += "::bytea";
        }
        sql += ')';
    }
    return sql + " ON CONFLICT DO NOTHING RETURNING received_at";
}

// Consecutive rows of one kind: the outbox's order is kept across tables.
std::vector<OutboxRow> FirstRun(std::vector<OutboxRow> rows) {
    if (rows.empty())
        return rows;
    const auto kind = rows.front().row.index();
    const auto end = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.row.index() != kind; });
    // List entries go one by one through their function.
    rows.erase(std::holds_alternative<ListEntry>(rows.front().row) ? rows.begin() + 1 : end, rows.end());
    return rows;
}

struct SendOutcome {
    std::size_t inserted = 0;
    Micros receivedAt = 0;
    std::optional<PgFailure> failure;
};

SendOutcome SendEntry(PgConnection& conn, const ListEntry& e, Clock::time_point deadline) {
    PgFailure failure;
    std::optional<PgResult> result;
    if (e.liftedAt) {
        // A station's role may not lift: the server refuses it (42501) and the row is set aside.
        result = conn.Exec("SELECT kestrin.lift_entry($1::uuid, $2)", {e.id, e.liftReason}, deadline, &failure);
    } else {
        // The door's own name goes with the entry; the server adds the login that sent it.
        const std::string station = e.createdBy.substr(0, e.createdBy.find(' '));
        result = conn.Exec("SELECT kestrin.add_entry($1::uuid, $2, $3::bytea, $4::integer, $5, $6, $7::bigint, $8, "
                           "$9, $10, $11, $12)",
                           {e.id, std::string(CodeOf(e.list)), HexBytes(e.idHmac), std::to_string(e.keyVersion),
                            std::string(CodeOf(e.reason)), e.note, std::to_string(e.validUntil),
                            std::string(CodeOf(e.scope)), station, NonEmpty(e.displayName), NonEmpty(e.birthDate),
                            NonEmpty(e.venue)},
                           deadline, &failure);
    }
    if (!result)
        return {0, 0, failure};
    return {1, 0, std::nullopt};
}

SendOutcome Send(PgConnection& conn, const std::vector<OutboxRow>& rows, Clock::time_point deadline) {
    if (const auto* entry = std::get_if<ListEntry>(&rows.front().row))
        return SendEntry(conn, *entry, deadline);
    Params params;
    const bool scans = std::holds_alternative<ScanEvent>(rows.front().row);
    for (const auto& r : rows) {
        if (const auto* e = std::get_if<ScanEvent>(&r.row))
            AddParams(*e, &params);
        else if (const auto* d = std::get_if<DoorCount>(&r.row))
            AddParams(*d, &params);
    }
    PgFailure failure;
    const auto result = conn.Exec(InsertSql(scans, rows.size()), params, deadline, &failure);
    if (!result)
        return {0, 0, failure};
    SendOutcome out;
    out.inserted = static_cast<std::size_t>(result->Rows());
    for (int r = 0; r < result->Rows(); ++r)
        out.receivedAt = std::max<Micros>(out.receivedAt, result->Integer(r, 0));
    return out;
}

Micros ServerNowOr(Micros value, PgConnection& conn, Clock::time_point deadline) {
    if (value)
        return value;
    PgFailure ignored;
    const auto now = conn.Exec("SELECT kestrin.now_us()", deadline, &ignored);
    return now && now->Rows() == 1 ? now->Integer(0, 0) : 0;
}

void MarkAll(IOutbox& outbox, const std::vector<OutboxRow>& rows, Micros receivedAt) {
    std::vector<Uploaded> done;
    done.reserve(rows.size());
    for (const auto& r : rows)
        done.push_back({r.seq, receivedAt});
    outbox.MarkUploaded(done);
}

} // namespace

UploadResult EventUploader::Upload(PgConnection& conn, IOutbox& outbox, Clock::time_point deadline) const {
    UploadResult total;
    while (Clock::now() < deadline) {
        const auto batch = FirstRun(outbox.Pending(m_batchSize));
        if (batch.empty())
            return total;
        const SendOutcome sent = Send(conn, batch, deadline);
        if (!sent.failure) {
            MarkAll(outbox, batch, ServerNowOr(sent.receivedAt, conn, deadline));
            total.uploaded += batch.size();
            total.inserted += sent.inserted;
            continue;
        }
        if (sent.failure->Action() != FailureAction::Quarantine || sent.failure->LinkLost()) {
            total.failure = sent.failure;
            return total;
        }
        // The batch holds a row the server refuses: one by one, so only that row is set aside.
        for (const auto& row : batch) {
            const SendOutcome one = Send(conn, {row}, deadline);
            if (one.failure && one.failure->Action() == FailureAction::Quarantine && !one.failure->LinkLost()) {
                outbox.Quarantine(row.seq, one.failure->sqlstate + " " + one.failure->message);
                ++total.quarantined;
                continue;
            }
            if (one.failure) {
                total.failure = one.failure;
                return total;
            }
            MarkAll(outbox, {row}, ServerNowOr(one.receivedAt, conn, deadline));
            ++total.uploaded;
            total.inserted += one.inserted;
        }
    }
    total.more = true;
    return total;
}

} // namespace Venue
