#pragma once
// The embedded venue store read through SQLite: the file opened read-only (the station writes it; WAL lets
// this reader run beside it without waiting), one connection per object, used from one thread at a time.

#include "IVenueSql.h"

#include <memory>

struct sqlite3;

namespace Reports {

class SqliteVenueSql : public IVenueSql {
public:
    // Throws VenueSqlError when the file cannot be opened (a missing file is not created).
    explicit SqliteVenueSql(const std::string& path);

    void Select(const std::string& sql, const std::vector<Param>& params, const RowSink& onRow) override;

private:
    struct Close {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Close> m_db;
    std::string m_path;
};

// The embedded store's file: venue.db beside the settings hive.
std::string EmbeddedStorePath();

} // namespace Reports
