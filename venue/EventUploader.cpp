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

const std::string& RowId(const SyncOutboxRow& row) {
    return std::visit([](const auto& r) -> const std::string& { return r.id; }, row);
}

void AddParams(const SyncScanEvent& e, Params* p) {
    const Params values = {e.id,       e.venue,
                           e.station,  std::to_string(e.scannedAt),
                           e.verdict,  e.age ? std::optional<std::string>(std::to_string(*e.age)) : std::nullopt,
                           e.sexCode,  e.state,
                           e.format,   e.warnings,
                           e.listHits, Bytea(e.idHmac)};
    p->insert(p->end(), values.begin(), values.end());
}

void AddParams(const SyncDoorCount& d, Params* p) {
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

// Consecutive rows of one table: the order of the outbox is kept across tables.
std::vector<SyncOutboxRow> FirstRun(std::vector<SyncOutboxRow> rows) {
    if (rows.empty())
        return rows;
    const auto kind = rows.front().index();
    const auto end = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.index() != kind; });
    rows.erase(end, rows.end());
    return rows;
}

struct SendOutcome {
    std::size_t inserted = 0;
    std::int64_t receivedAt = 0;
    std::optional<PgFailure> failure;
};

SendOutcome Send(PgConnection& conn, const std::vector<SyncOutboxRow>& rows, Clock::time_point deadline) {
    Params params;
    const bool scans = std::holds_alternative<SyncScanEvent>(rows.front());
    for (const auto& row : rows)
        std::visit([&](const auto& r) { AddParams(r, &params); }, row);
    PgFailure failure;
    const auto result = conn.Exec(InsertSql(scans, rows.size()), params, deadline, &failure);
    if (!result)
        return {0, 0, failure};
    SendOutcome out;
    out.inserted = static_cast<std::size_t>(result->Rows());
    for (int r = 0; r < result->Rows(); ++r)
        out.receivedAt = std::max<std::int64_t>(out.receivedAt, result->Integer(r, 0));
    return out;
}

std::int64_t ServerNowOr(std::int64_t value, PgConnection& conn, Clock::time_point deadline) {
    if (value)
        return value;
    PgFailure ignored;
    const auto now = conn.Exec("SELECT kestrin.now_us()", deadline, &ignored);
    return now && now->Rows() == 1 ? now->Integer(0, 0) : 0;
}

} // namespace

UploadResult EventUploader::Upload(PgConnection& conn, SyncOutbox& outbox, Clock::time_point deadline) const {
    UploadResult total;
    while (Clock::now() < deadline) {
        const auto batch = FirstRun(outbox.PendingRows(m_batchSize));
        if (batch.empty())
            return total;
        SendOutcome sent = Send(conn, batch, deadline);
        if (!sent.failure) {
            std::vector<std::string> ids;
            for (const auto& row : batch)
                ids.push_back(RowId(row));
            outbox.MarkUploaded(ids, ServerNowOr(sent.receivedAt, conn, deadline));
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
            if (one.failure && one.failure->Action() == FailureAction::Quarantine) {
                outbox.Quarantine(RowId(row), one.failure->sqlstate + " " + one.failure->message);
                ++total.quarantined;
                continue;
            }
            if (one.failure) {
                total.failure = one.failure;
                return total;
            }
            outbox.MarkUploaded({RowId(row)}, ServerNowOr(one.receivedAt, conn, deadline));
            ++total.uploaded;
            total.inserted += one.inserted;
        }
    }
    total.more = true;
    return total;
}

UploadResult EventUploader::UploadEntries(PgConnection& conn, SyncOutbox& outbox, Clock::time_point deadline) const {
    UploadResult total;
    for (const auto& e : outbox.PendingEntries()) {
        const Params params = {e.id,
                               e.list,
                               HexBytes(e.idHmac),
                               std::to_string(e.keyVersion),
                               e.reason,
                               e.note,
                               std::to_string(e.validUntil),
                               e.scope,
                               e.station,
                               e.displayName,
                               e.birthDate};
        PgFailure failure;
        const auto result = conn.Exec("SELECT kestrin.add_entry($1::uuid, $2, $3::bytea, $4::integer, $5, $6, "
                                      "$7::bigint, $8, $9, $10, $11)",
                                      params, deadline, &failure);
        if (result) {
            outbox.MarkEntryUploaded(e.id);
            ++total.uploaded;
            continue;
        }
        if (failure.Action() == FailureAction::Quarantine && !failure.LinkLost()) {
            outbox.QuarantineEntry(e.id, failure.sqlstate + " " + failure.message);
            ++total.quarantined;
            continue;
        }
        total.failure = failure;
        return total;
    }
    return total;
}

} // namespace Venue
