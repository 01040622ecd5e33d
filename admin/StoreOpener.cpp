#include "StoreOpener.h"

#include "EmbeddedStore.h"
#include "PgStore.h"
#include "VenueError.h"

namespace VenueAdmin {

std::unique_ptr<Venue::IVenueStore> OpenStore(const std::string& conninfo) {
    // Without a server nothing waits for one: the embedded store keeps no outbox.
    if (conninfo.empty())
        return std::make_unique<Venue::EmbeddedStore>(Venue::EmbeddedStore::DefaultPath(), false);
    return std::make_unique<Venue::PgStore>(conninfo);
}

} // namespace VenueAdmin
