#include "StoreOpener.h"

#include "EmbeddedStore.h"
#include "VenueError.h"

namespace VenueAdmin {

std::unique_ptr<Venue::IVenueStore> OpenStore(const std::string& conninfo) {
    if (conninfo.empty())
        return std::make_unique<Venue::EmbeddedStore>(Venue::EmbeddedStore::DefaultPath());
    // The PostgreSQL store is opened here once it is linked in.
    throw Venue::VenueError("this build has no PostgreSQL store; leave out --db and \"Venue Database\" to use "
                            "the embedded store");
}

} // namespace VenueAdmin
