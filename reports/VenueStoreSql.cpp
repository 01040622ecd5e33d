#include "VenueStoreSql.h"

#include "PgStore.h"
#include "VenueError.h"

namespace Reports {

void VenueStoreSql::Select(const std::string& sql, const std::vector<Param>& params, const RowSink& onRow) {
    std::vector<Venue::SqlValue> values;
    for (const Param& param : params) {
        if (const auto* text = std::get_if<std::string>(&param))
            values.emplace_back(*text);
        else
            values.emplace_back(std::get<std::int64_t>(param));
    }
    std::vector<Venue::SqlRow> rows;
    try {
        rows = m_store.Select(sql, values);
    } catch (const Venue::VenueError& error) {
        throw VenueSqlError(error.what());
    }
    Row row;
    for (const Venue::SqlRow& stored : rows) {
        row.assign(stored.size(), std::nullopt);
        for (std::size_t c = 0; c < stored.size(); ++c) {
            if (const auto* number = std::get_if<std::int64_t>(&stored[c]))
                row[c] = std::to_string(*number);
            else if (const auto* text = std::get_if<std::string>(&stored[c]))
                row[c] = *text;
        }
        onRow(row);
    }
}

bool VenueStoreSql::HoldsVenueGroups() const {
    return dynamic_cast<const Venue::PgStore*>(&m_store) != nullptr;
}

} // namespace Reports
