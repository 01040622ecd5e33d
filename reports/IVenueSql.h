#pragma once
// The one thing the reports need from a venue store: run a plain SELECT and hand over its rows. The
// embedded store (SQLite) and the venue database (PostgreSQL) both implement it, and the same SQL text
// runs on both: parameters are `?`, bound in order (an engine numbering them, as PostgreSQL's $1, $2, ...,
// numbers them in order). Cells come as text; NULL as nothing. A failure throws VenueSqlError with the
// engine's cause.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace Reports {

class VenueSqlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IVenueSql {
public:
    using Param = std::variant<std::string, std::int64_t>;
    using Row = std::vector<std::optional<std::string>>;
    using RowSink = std::function<void(const Row&)>;

    virtual ~IVenueSql() = default;
    virtual void Select(const std::string& sql, const std::vector<Param>& params, const RowSink& onRow) = 0;
    // True for the venue database, which holds many venues in groups (kestrin.venue, kestrin.is_manager());
    // an embedded store holds its own venue only.
    virtual bool HoldsVenueGroups() const { return false; }
};

} // namespace Reports
