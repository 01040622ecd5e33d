#include "SqliteStatement.h"

#include "VenueError.h"

#include <sqlite3.h>

namespace Venue {

void SqliteStatement::Finalizer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql) : m_db(db), m_sql(sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    m_statement.reset(raw);
    if (rc != SQLITE_OK)
        Fail("cannot prepare");
}

void SqliteStatement::Fail(const char* what) const {
    throw VenueError(std::string(what) + " \"" + m_sql + "\": " + sqlite3_errmsg(m_db));
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(m_statement.get(), index, value) != SQLITE_OK)
        Fail("cannot bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::string& text) {
    if (sqlite3_bind_text(m_statement.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        Fail("cannot bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::optional<std::int64_t>& value) {
    return value ? Bind(index, *value) : BindNull(index);
}

SqliteStatement& SqliteStatement::BindBlob(int index, const std::string& bytes) {
    if (bytes.empty())
        return BindNull(index);
    if (sqlite3_bind_blob(m_statement.get(), index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        Fail("cannot bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const SqlValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return Bind(index, *number);
    if (const auto* text = std::get_if<std::string>(&value))
        return Bind(index, *text);
    return BindNull(index);
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    if (sqlite3_bind_null(m_statement.get(), index) != SQLITE_OK)
        Fail("cannot bind");
    return *this;
}

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail("cannot run");
}

void SqliteStatement::Run() {
    while (Step()) {
    }
}

void SqliteStatement::Reset() {
    sqlite3_reset(m_statement.get());
    sqlite3_clear_bindings(m_statement.get());
}

std::int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(m_statement.get(), column);
}

std::optional<std::int64_t> SqliteStatement::OptionalInt(int column) const {
    if (IsNull(column))
        return std::nullopt;
    return Int(column);
}

std::string SqliteStatement::Text(int column) const {
    const void* data = sqlite3_column_blob(m_statement.get(), column);
    const int size = sqlite3_column_bytes(m_statement.get(), column);
    if (!data || size <= 0)
        return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}

SqlValue SqliteStatement::Value(int column) const {
    switch (sqlite3_column_type(m_statement.get(), column)) {
    case SQLITE_NULL:
        return nullptr;
    case SQLITE_INTEGER:
        return Int(column);
    default:
        return Text(column);
    }
}

int SqliteStatement::Columns() const {
    return sqlite3_column_count(m_statement.get());
}

} // namespace Venue
