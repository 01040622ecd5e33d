#pragma once
// `kestrin-venue report [--from ISO --to ISO] [--by hour|day|station] [--group NAME] [--json|--csv|--pdf
// FILE]`: the report of a period (tonight without --from) from the venue store the command opened, of this
// venue or, with --group, of every venue of that group (a manager's connection only; else exit 2). --json prints one
// object, --csv the figure tables, --pdf writes the pages of the window's PDF; without them the tables
// are printed as text. --by day makes the time bins days (from the "Day Starts At" hour); --by station
// puts the doors first. Exit status: 0, 1 when the period holds no scan, 2 on a usage or store error
// (the cause on `err`).

#include "ReportLoader.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace Reports {

struct ReportCommandSetup {
    std::string venue;
    int dayStartHour = 6;
    StoreOpener opener;
    std::function<std::int64_t()> now; // microseconds since 1970 UTC
};

// `args`: the words after "report".
int RunReportCommand(const std::vector<std::string>& args, const ReportCommandSetup& setup, std::ostream& out,
                     std::ostream& err);

extern const char kReportUsage[];

} // namespace Reports
