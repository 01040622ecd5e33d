#include "ReportCommand.h"

#include "AdminCommands.h"

#include <ostream>

namespace VenueAdmin {

// The reports are built apart from the store; until they are linked in, the command says so.
int RunReport(const std::vector<std::string>&, Venue::IVenueStore&, const Venue::VenueConfig&, std::ostream&,
              std::ostream& err) {
    err << "kestrin-venue: report: the reports are not part of this build\n";
    return kExitError;
}

} // namespace VenueAdmin
