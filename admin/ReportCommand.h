#pragma once
// `kestrin-venue report ...`: the venue's reports, which live beside the store and read it through
// IVenueStore::Select. `args` are the words after "report"; the exit status follows kestrin-venue's.

#include "IVenueStore.h"
#include "VenueConfig.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace VenueAdmin {

int RunReport(const std::vector<std::string>& args, Venue::IVenueStore& store, const Venue::VenueConfig& config,
              std::ostream& out, std::ostream& err);

} // namespace VenueAdmin
