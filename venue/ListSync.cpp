#include "ListSync.h"

namespace Venue {

namespace {

constexpr const char* kColumns =
    "SELECT id::text, grp, venue, scope, list, encode(id_hmac, 'hex'), key_version, reason, note, valid_until, "
    "display_name, birth_date, station, created_by, created_at, lifted_at, coalesce(lifted_by, ''), "
    "coalesce(lift_reason, '') FROM kestrin.list_entry";

std::string FromHex(const std::string& hex) {
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::optional<ListEntry> EntryAt(const PgResult& r, int row) {
    const auto list = ListKindOf(r.Text(row, 4));
    const auto scope = ScopeOf(r.Text(row, 3));
    const auto reason = ReasonOf(r.Text(row, 7));
    if (!list || !scope || !reason)
        return std::nullopt;
    ListEntry e;
    e.id = r.Text(row, 0);
    e.venue = r.Text(row, 2);
    e.scope = *scope;
    e.list = *list;
    e.idHmac = FromHex(r.Text(row, 5));
    e.keyVersion = static_cast<int>(r.Integer(row, 6));
    e.reason = *reason;
    e.note = r.Text(row, 8);
    e.validUntil = r.Integer(row, 9);
    e.displayName = r.IsNull(row, 10) ? std::string() : r.Text(row, 10);
    e.birthDate = r.IsNull(row, 11) ? std::string() : r.Text(row, 11);
    // "<station> <account>", as the door writes it; the account is the server login that sent it.
    e.createdBy = r.Text(row, 12).empty() ? r.Text(row, 13) : r.Text(row, 12) + " " + r.Text(row, 13);
    e.createdAt = r.Integer(row, 14);
    if (!r.IsNull(row, 15))
        e.liftedAt = r.Integer(row, 15);
    e.liftedBy = r.Text(row, 16);
    e.liftReason = r.Text(row, 17);
    return e;
}

} // namespace

std::optional<std::size_t> ListSync::CatchUp(PgConnection& conn, IListSink& sink, Clock::time_point deadline,
                                             PgFailure* failure) {
    const std::string watermark = sink.Watermark();
    const auto snapshot = conn.Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; "
                                    "SELECT pg_current_snapshot()::text",
                                    deadline, failure);
    if (!snapshot || snapshot->Rows() != 1) {
        PgFailure ignored;
        conn.Exec("ROLLBACK", deadline, &ignored);
        return std::nullopt;
    }
    const std::string next = snapshot->Text(0, 0);
    std::optional<PgResult> rows;
    if (watermark.empty())
        rows = conn.Exec(std::string(kColumns) + " ORDER BY id", deadline, failure);
    else
        rows = conn.Exec(std::string(kColumns) +
                             " WHERE changed_xid >= pg_snapshot_xmin($1::pg_snapshot)"
                             " AND NOT pg_visible_in_snapshot(changed_xid, $1::pg_snapshot) ORDER BY id",
                         {watermark}, deadline, failure);
    if (!rows || !conn.Exec("COMMIT", deadline, failure)) {
        PgFailure ignored;
        conn.Exec("ROLLBACK", deadline, &ignored);
        return std::nullopt;
    }
    std::vector<ListEntry> entries;
    entries.reserve(static_cast<std::size_t>(rows->Rows()));
    for (int r = 0; r < rows->Rows(); ++r)
        if (auto entry = EntryAt(*rows, r))
            entries.push_back(std::move(*entry));
    if (!entries.empty() || next != watermark)
        sink.Apply(entries, next);
    return entries.size();
}

} // namespace Venue
