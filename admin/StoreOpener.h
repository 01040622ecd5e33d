#pragma once
// Which venue store kestrin-venue works on: --db CONNINFO, else the hive's "Venue Database", else the
// embedded file next to the hive. The one place that knows the engines.

#include "IVenueStore.h"

#include <memory>
#include <string>

namespace VenueAdmin {

// `conninfo` empty: the embedded store. Throws VenueError when the store cannot be opened.
std::unique_ptr<Venue::IVenueStore> OpenStore(const std::string& conninfo);

} // namespace VenueAdmin
