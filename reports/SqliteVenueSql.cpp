#include "SqliteVenueSql.h"

#include "Settings.h"

#include <filesystem>
#include <sqlite3.h>

namespace Reports {
namespace {

constexpr int kBusyMillis = 2000; // a writer's checkpoint may hold the file briefly

struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

} // namespace

void SqliteVenueSql::Close::operator()(sqlite3* db) const {
    sqlite3_close(db);
}

SqliteVenueSql::SqliteVenueSql(const std::string& path) : m_path(path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(db);
    if (rc != SQLITE_OK)
        throw VenueSqlError("cannot open the venue store " + path + ": " +
                            (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    sqlite3_busy_timeout(db, kBusyMillis);
}

void SqliteVenueSql::Select(const std::string& sql, const std::vector<Param>& params, const RowSink& onRow) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw VenueSqlError("cannot read the venue store " + m_path + ": " + sqlite3_errmsg(m_db.get()));
    const std::unique_ptr<sqlite3_stmt, Finalize> statement(raw);
    if (static_cast<std::size_t>(sqlite3_bind_parameter_count(raw)) != params.size())
        throw VenueSqlError("a query of the venue store was given " + std::to_string(params.size()) + " values for " +
                            std::to_string(sqlite3_bind_parameter_count(raw)) + " places");
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        if (const auto* text = std::get_if<std::string>(&params[i]))
            sqlite3_bind_text(raw, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_int64(raw, index, std::get<std::int64_t>(params[i]));
    }
    const int columns = sqlite3_column_count(raw);
    Row row(static_cast<std::size_t>(columns));
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            auto& cell = row[static_cast<std::size_t>(c)];
            if (sqlite3_column_type(raw, c) == SQLITE_NULL) {
                cell.reset();
                continue;
            }
            // Blob before bytes: the bytes are of the blob as it is, not of a text conversion.
            const void* blob = sqlite3_column_blob(raw, c);
            const int bytes = sqlite3_column_bytes(raw, c);
            if (bytes == 0)
                cell.emplace();
            else
                cell.emplace(static_cast<const char*>(blob), static_cast<std::size_t>(bytes));
        }
        onRow(row);
    }
    if (rc != SQLITE_DONE)
        throw VenueSqlError("cannot read the venue store " + m_path + ": " + sqlite3_errmsg(m_db.get()));
}

std::string EmbeddedStorePath() {
    return (std::filesystem::path(Settings::HivePath()).parent_path() / "venue.db").string();
}

} // namespace Reports
