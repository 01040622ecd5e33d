#include "ReportCommand.h"

#include "ReportCommandLine.h"
#include "Settings.h"
#include "VenueStoreSql.h"
#include "VenueTime.h"

#include <ostream>

namespace VenueAdmin {

// The reports read the store this command opened, through the same query layer as the Reports window.
int RunReport(const std::vector<std::string>& args, Venue::IVenueStore& store, const Venue::VenueConfig& config,
              std::ostream& out, std::ostream& err) {
    Reports::ReportCommandSetup setup;
    setup.venue = config.venue;
    setup.dayStartHour = Settings::GetDayStartsAt();
    setup.opener = [&store] { return std::make_unique<Reports::VenueStoreSql>(store); };
    setup.now = [] { return Venue::NowMicros(); };
    return Reports::RunReportCommand(args, setup, out, err);
}

} // namespace VenueAdmin
