#pragma once
// One owned libpq result, read as text. The sync worker, the schema and the administrator's command read
// every value through it, so nothing else calls PQclear.

#include <cstddef>
#include <memory>
#include <string>

#include <libpq-fe.h>

namespace Venue {

class PgResult {
public:
    PgResult() = default;
    explicit PgResult(PGresult* result) : m_result(result, &PQclear) {}

    bool Valid() const { return m_result != nullptr; }
    int Rows() const { return m_result ? PQntuples(m_result.get()) : 0; }
    int Columns() const { return m_result ? PQnfields(m_result.get()) : 0; }
    std::string ColumnName(int column) const { return PQfname(m_result.get(), column); }
    Oid Type(int column) const { return PQftype(m_result.get(), column); }
    bool IsNull(int row, int column) const { return PQgetisnull(m_result.get(), row, column) != 0; }
    std::string Text(int row, int column) const {
        return std::string(PQgetvalue(m_result.get(), row, column),
                           static_cast<std::size_t>(PQgetlength(m_result.get(), row, column)));
    }
    long long Integer(int row, int column) const { return std::stoll(Text(row, column)); }

private:
    std::unique_ptr<PGresult, void (*)(PGresult*)> m_result{nullptr, &PQclear};
};

} // namespace Venue
