#pragma once
// One connection to an SQLite file, closed when it goes out of scope. Opened in WAL mode with full syncs,
// so a committed row survives a killed process and a power cut; a writer that meets another's lock waits
// at most kBusyWait. A missing file is created, when asked, with the shared files' mode and the folder's
// group (Base::OpenFolderFile), before SQLite opens it.

#include "SqliteStatement.h"

#include <chrono>
#include <memory>
#include <string>

struct sqlite3;

namespace Venue {

class SqliteDb {
public:
    // Throws VenueError when the file cannot be opened (or created, with `create`).
    SqliteDb(const std::string& path, bool create);

    void Exec(const std::string& sql);
    SqliteStatement Prepare(const std::string& sql);
    std::int64_t Changes() const;
    const std::string& Path() const { return m_path; }

    // BEGIN IMMEDIATE ... COMMIT; rolled back when it goes out of scope without Commit.
    class Transaction {
    public:
        explicit Transaction(SqliteDb& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

    private:
        SqliteDb& m_db;
        bool m_done = false;
    };

    static constexpr std::chrono::milliseconds kBusyWait{2000};

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };

    std::string m_path;
    std::unique_ptr<sqlite3, Closer> m_db;
};

} // namespace Venue
