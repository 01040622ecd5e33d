#include "ReportStore.h"

#include "EmbeddedStore.h"
#include "PgStore.h"
#include "SqliteVenueSql.h"
#include "VenueStoreSql.h"

namespace Reports {

StoreOpener ReportStoreOpener(const std::string& venueDatabase) {
    if (!venueDatabase.empty())
        return [venueDatabase]() -> std::unique_ptr<IVenueSql> {
            return std::make_unique<VenueStoreSql>(std::make_unique<Venue::PgStore>(venueDatabase));
        };
    return [path = Venue::EmbeddedStore::DefaultPath()]() -> std::unique_ptr<IVenueSql> {
        return std::make_unique<SqliteVenueSql>(path);
    };
}

} // namespace Reports
