#pragma once
// One prepared SQLite statement, finalised when it goes out of scope. Binds are 1-based like SQLite's; a
// step that fails throws VenueError with the engine's message.

#include "IVenueStore.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace Venue {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const std::string& sql);

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, const std::string& text);
    SqliteStatement& Bind(int index, const std::optional<std::int64_t>& value);
    SqliteStatement& BindBlob(int index, const std::string& bytes); // empty: NULL
    SqliteStatement& Bind(int index, const SqlValue& value);
    SqliteStatement& BindNull(int index);

    // True while a row is there to read; false when done.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();
    void Reset();

    std::int64_t Int(int column) const;
    std::optional<std::int64_t> OptionalInt(int column) const;
    std::string Text(int column) const; // a NULL reads as ""; a BLOB as its bytes
    bool IsNull(int column) const;
    SqlValue Value(int column) const;
    int Columns() const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const;
    };
    [[noreturn]] void Fail(const char* what) const;

    sqlite3* m_db;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_statement;
    std::string m_sql;
};

} // namespace Venue
