#pragma once
// The reports' query layer over a venue store of the venue side (Venue::IVenueStore::Select), whichever
// engine keeps it: the embedded file or the venue database. The store may be owned or lent (the command
// line lends the one it opened).

#include "IVenueSql.h"
#include "IVenueStore.h"

#include <memory>

namespace Reports {

class VenueStoreSql : public IVenueSql {
public:
    explicit VenueStoreSql(Venue::IVenueStore& store) : m_store(store) {}
    explicit VenueStoreSql(std::unique_ptr<Venue::IVenueStore> owned) : m_owned(std::move(owned)), m_store(*m_owned) {}

    // VenueError from the store comes out as VenueSqlError.
    void Select(const std::string& sql, const std::vector<Param>& params, const RowSink& onRow) override;
    bool HoldsVenueGroups() const override;

private:
    std::unique_ptr<Venue::IVenueStore> m_owned;
    Venue::IVenueStore& m_store;
};

} // namespace Reports
