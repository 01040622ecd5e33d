#include "EventQuery.h"

#include <charconv>

namespace Reports {

namespace {

// The same text runs on both engines: `||` joins texts in SQLite and PostgreSQL alike.
std::string ScanEventSelect(const std::string& station, const std::string& venues) {
    return "SELECT id, " + station +
           ", scanned_at, verdict, age, sex_code, state, format, warnings, list_hits, id_hmac "
           "FROM scan_event WHERE " +
           venues + " AND scanned_at >= ? AND scanned_at < ? ORDER BY scanned_at, id";
}

std::string DoorCountSelect(const std::string& station, const std::string& venues) {
    return "SELECT id, " + station + ", at, delta FROM door_count WHERE " + venues +
           " AND at >= ? AND at < ? ORDER BY at, id";
}

constexpr std::size_t kScanColumns = 11;
constexpr std::size_t kDoorColumns = 4;

std::int64_t Number(const IVenueSql::Row& row, std::size_t column, const char* name) {
    const auto& cell = row.at(column);
    std::int64_t value = 0;
    if (!cell || std::from_chars(cell->data(), cell->data() + cell->size(), value).ec != std::errc())
        throw VenueSqlError(std::string("the store gave \"") + name + "\" that is not a whole number");
    return value;
}

std::string Text(const IVenueSql::Row& row, std::size_t column) {
    return row.at(column).value_or(std::string());
}

void CheckWidth(const IVenueSql::Row& row, std::size_t columns) {
    if (row.size() != columns)
        throw VenueSqlError("the store gave " + std::to_string(row.size()) + " columns where " +
                            std::to_string(columns) + " were asked for");
}

} // namespace

NightRows LoadNight(IVenueSql& sql, const std::string& venue, const ReportPeriod& period) {
    return LoadNight(sql, ReportScope{venue, {}}, period);
}

bool CanReadGroup(IVenueSql& sql) {
    if (!sql.HoldsVenueGroups())
        return true;
    bool manager = false;
    sql.Select("SELECT kestrin.is_manager()", {}, [&manager](const IVenueSql::Row& row) {
        manager = !row.empty() && row[0] && (*row[0] == "t" || *row[0] == "true");
    });
    return manager;
}

NightRows LoadNight(IVenueSql& sql, const ReportScope& scope, const ReportPeriod& period) {
    const bool wholeGroup = scope.IsGroup() && sql.HoldsVenueGroups();
    const std::string station = scope.IsGroup() ? "venue || '/' || station" : "station";
    const std::string venues = wholeGroup ? "venue IN (SELECT name FROM kestrin.venue WHERE grp = ?)" : "venue = ?";
    const std::vector<IVenueSql::Param> params{wholeGroup ? scope.group : scope.venue, period.from, period.to};
    NightRows night;
    sql.Select(ScanEventSelect(station, venues), params, [&night](const IVenueSql::Row& row) {
        CheckWidth(row, kScanColumns);
        ScanRow scan;
        scan.id = Text(row, 0);
        scan.station = Text(row, 1);
        scan.scannedAt = Number(row, 2, "scanned_at");
        scan.verdict = Text(row, 3);
        if (row[4])
            scan.age = static_cast<int>(Number(row, 4, "age"));
        scan.sexCode = Text(row, 5);
        scan.state = Text(row, 6);
        scan.format = Text(row, 7);
        scan.warnings = Text(row, 8);
        scan.listHits = Text(row, 9);
        scan.idHmac = row[10];
        night.scans.push_back(std::move(scan));
    });
    sql.Select(DoorCountSelect(station, venues), params, [&night](const IVenueSql::Row& row) {
        CheckWidth(row, kDoorColumns);
        night.doorCounts.push_back(
            {Text(row, 0), Text(row, 1), Number(row, 2, "at"), static_cast<int>(Number(row, 3, "delta"))});
    });
    return night;
}

} // namespace Reports
